// The figures of the advance return from given account totals: the check
// list's groups, rounding and tax, the form lines an account reaches, the
// line of the direct input tax, and the Kennzahlen of the year table.
#include "vat/steuerwerte.h"

#include <gtest/gtest.h>

#include "vat/ustjahre.h"

namespace fibu {
namespace {

// Tax keys 1..3: 19 % on 1776, 7 % on 1771, 19 % on 9999 (no such account).
const std::vector<std::pair<std::int32_t, std::int64_t>> steuern = {
    {1776, 1900}, {1771, 700}, {9999, 1900}};

Ustkonto konto(std::int32_t nr, int art, int zeile, int schluessel, Betrag soll, Betrag haben) {
  return {nr, "Konto " + std::to_string(nr), art, zeile, schluessel, soll, haben};
}

TEST(Pruefliste, GruppenRundungUndSteuer) {
  struct Fall {
    const char* was;
    bool runden;
    std::vector<Ustkonto> konten;
    Betrag summe, steuer, gebucht;  // of the group of key 1
  };
  const std::vector<Fall> faelle = {
      {"100.05 at 19 % is 19.01 (1900.95 cents to the nearest cent)",
       false,
       {konto(8400, 3, 26, 1, 0, 10005), konto(1776, 2, 0, 0, 0, 1901)},
       10005,
       1901,
       1901},
      {"rounding: 1234.99 counts 1234.00, -5.50 counts -5.00, account by account",
       true,
       {konto(8400, 3, 26, 1, 0, 123499), konto(8401, 3, 26, 1, 550, 0),
        konto(1776, 2, 0, 0, 0, 23351)},
       122900,
       23351,
       23351},
      {"without rounding the cents count",
       false,
       {konto(8400, 3, 26, 1, 0, 123499), konto(8401, 3, 26, 1, 550, 0)},
       122949,
       23360,
       0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.was);
    const Pruefliste p = pruefliste_berechnen(f.konten, steuern, f.runden);
    ASSERT_EQ(p.umsaetze.gruppen.size(), 1u);
    const Steuergruppe& g = p.umsaetze.gruppen[0];
    EXPECT_EQ(g.summe, f.summe);
    EXPECT_EQ(g.steuer, f.steuer);
    EXPECT_EQ(g.gebucht, f.gebucht);
    EXPECT_EQ(p.umsaetze.differenz, f.steuer - f.gebucht);
  }
}

TEST(Pruefliste, SchluesselNullAbschnitteUndZuZahlen) {
  const Pruefliste p = pruefliste_berechnen(
      {konto(8120, 3, 24, 0, 0, 50000),   // tax-free: key 0
       konto(8400, 3, 26, 1, 0, 100000),  // 1000.00 at 19 %
       konto(8300, 3, 27, 2, 0, 20000),   // 200.00 at 7 %
       konto(8500, 3, 28, 3, 0, 10000),   // key 3: its tax account does not exist
       konto(3425, 5, 33, 1, 50000, 0),   // acquisition: debit balance
       konto(1776, 2, 0, 0, 0, 19000),    //
       konto(1771, 2, 0, 0, 0, 1500),     // 0.50 too much booked
       konto(1576, 4, 56, 0, 30000, 0),   // input tax: -300.00
       konto(1588, 0, 99, 0, 2000, 0),    // direct: -20.00
       konto(1589, 2, 99, 0, 7000, 0),    // 99 on a tax account: not direct
       konto(1200, 0, 0, 0, 999999, 0)},  // not listed
      steuern, true);
  ASSERT_EQ(p.umsaetze.gruppen.size(), 4u);
  const Steuergruppe& null = p.umsaetze.gruppen[0];
  EXPECT_EQ(null.schluessel, 0);
  EXPECT_EQ(null.summe, 50000);
  EXPECT_EQ(null.steuer, 0);
  EXPECT_EQ(null.differenz(), 0);
  EXPECT_EQ(p.umsaetze.gruppen[3].gebucht, 0);  // missing tax account counts 0
  EXPECT_EQ(p.umsaetze.betrag, 180000);
  EXPECT_EQ(p.umsaetze.steuer, 19000 + 1400 + 1900);
  EXPECT_EQ(p.umsaetze.differenz, 0 + -100 + 1900);
  EXPECT_EQ(p.erwerbe.betrag, 50000);
  EXPECT_EQ(p.erwerbe.steuer, 9500);
  ASSERT_EQ(p.vorsteuer.size(), 1u);
  EXPECT_EQ(p.summe_vorsteuer, -30000);
  ASSERT_EQ(p.direkt.size(), 1u);
  EXPECT_EQ(p.direkt[0].nummer, 1588);
  EXPECT_EQ(p.summe_direkt, -2000);
  EXPECT_EQ(p.zu_zahlen, 22300 + 9500 - 30000);
}

TEST(Formularwerte, WelcheKontenAufWelcheZeile) {
  struct Fall {
    Ustkonto k;
    int zeile;  // 0: no line
    Betrag basis, steuer, direkt;
  };
  const std::vector<Fall> faelle = {
      {konto(8400, 3, 26, 1, 100, 10100), 26, 10000, 0, 0},  // revenue: credit balance
      {konto(3425, 5, 33, 19, 5000, 0), 33, 5000, 0, 0},     // acquisition: debit balance
      {konto(1776, 2, 26, 0, 0, 1900), 26, 0, -1900, 0},     // output tax: debit balance
      {konto(1576, 4, 56, 0, 800, 0), 56, 0, 800, 0},        // input tax: debit balance
      {konto(1200, 0, 26, 0, 7000, 0), 0, 0, 0, 0},          // kinds 0 and 1: nothing
      {konto(1000, 1, 26, 0, 7000, 0), 0, 0, 0, 0},
      {konto(8401, 3, 87, 1, 0, 100), 0, 0, 0, 0},  // 87..98 and 100..255 reach no line
      {konto(8402, 3, 98, 1, 0, 100), 0, 0, 0, 0},
      {konto(8403, 3, 100, 1, 0, 100), 0, 0, 0, 0},
      {konto(8404, 3, 255, 1, 0, 100), 0, 0, 0, 0},
      {konto(1588, 0, 99, 0, 300, 0), 0, 0, 0, 300},  // direct tax account
      {konto(1589, 2, 99, 0, 300, 0), 0, 0, 0, 0},    // 99 with another kind: nothing
      {konto(1590, 4, 99, 0, 300, 0), 0, 0, 0, 0},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.k.nummer);
    const Formularwerte w = formularwerte_fuellen({f.k});
    Formularwerte leer;
    if (f.zeile != 0) {
      EXPECT_EQ(w.basis[static_cast<std::size_t>(f.zeile)], f.basis);
      EXPECT_EQ(w.steuer[static_cast<std::size_t>(f.zeile)], f.steuer);
      leer.basis[static_cast<std::size_t>(f.zeile)] = f.basis;
      leer.steuer[static_cast<std::size_t>(f.zeile)] = f.steuer;
    }
    EXPECT_EQ(w.direkt, f.direkt);
    EXPECT_EQ(w.basis, leer.basis);
    EXPECT_EQ(w.steuer, leer.steuer);
  }
}

TEST(Formularwerte, ZeileDerDirektenVorsteuer) {
  // The form printer's own line up to 2012 (55 up to 2011, 56 in the 2012
  // layout); after 2012 the line that carries Kz 66.
  const auto formular = [](int jahr) { return jahr < 2012 ? 55 : 56; };
  for (auto [jahr, zeile] :
       {std::pair{1999, 47}, std::pair{2001, 47}, std::pair{2002, 55}, std::pair{2011, 55},
        std::pair{2012, 56}, std::pair{2013, 56}, std::pair{2021, 56}, std::pair{2026, 56}})
    EXPECT_EQ(vorsteuerzeile_fuer(jahr, formular), zeile) << jahr;
}

// One amount on each of a few lines, and what a year makes of it.
Formularwerte werte_mit(std::vector<std::tuple<int, Betrag, Betrag>> zeilen) {
  Formularwerte w;
  for (auto [l, b, t] : zeilen) {
    w.basis[static_cast<std::size_t>(l)] = b;
    w.steuer[static_cast<std::size_t>(l)] = t;
  }
  return w;
}

std::vector<std::string> kurz(const Kennzahlenliste& l) {
  std::vector<std::string> aus;
  for (const auto& w : l.werte)
    if (w.basis != 0 || w.steuer != 0)
      aus.push_back(std::to_string(w.kz_basis) + "/" + std::to_string(w.kz_steuer) + ":" +
                    std::to_string(w.basis) + "/" + std::to_string(w.steuer));
  return aus;
}

TEST(Kennzahlen, JahreUndZeitraeume) {
  // 1000.99 on the 19 % line, 500.00 on the 7 % line, 100.00 acquired at
  // 19 %, §13b services of a foreign business 200.00 with 38.00 owed
  // (line 49), input tax 95.00.
  const Formularwerte w = werte_mit(
      {{26, 100099, 0}, {27, 50000, 0}, {33, 10000, 0}, {49, 20000, -3800}, {56, 0, 9500}});
  struct Fall {
    int jahr, monat;
    std::vector<std::string> kz;
    Betrag summe;
  };
  const std::vector<Fall> faelle = {
      // 19 % of 1000 = 190.00, 7 % of 500 = 35.00, 19 % of 100 = 19.00,
      // 38.00 owed under Kz 52/53, 95.00 deducted: 187.00.
      {2013,
       5,
       {"81/0:100000/19000", "86/0:50000/3500", "89/0:10000/1900", "52/53:20000/3800",
        "0/66:0/9500"},
       18700},
      // From 2015 the other services of foreign businesses are Kz 84/85.
      {2015,
       5,
       {"81/0:100000/19000", "86/0:50000/3500", "89/0:10000/1900", "84/85:20000/3800",
        "0/66:0/9500"},
       18700},
      // June 2020 still at 19 % and 7 %.
      {2020,
       6,
       {"81/0:100000/19000", "86/0:50000/3500", "89/0:10000/1900", "84/85:20000/3800",
        "0/66:0/9500"},
       18700},
      // July 2020: 16 % of 1000 = 160.00 and 5 % of 500 = 25.00 both under
      // Kz 35/36; the acquisition 16 % of 100 = 16.00 under Kz 95/98.
      // 160 + 25 + 16 + 38 - 95 = 144.00.
      {2020,
       7,
       {"35/36:150000/18500", "95/98:10000/1600", "84/85:20000/3800", "0/66:0/9500"},
       14400},
      {2021,
       1,
       {"81/0:100000/19000", "86/0:50000/3500", "89/0:10000/1900", "84/85:20000/3800",
        "0/66:0/9500"},
       18700},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(std::to_string(f.monat) + "/" + std::to_string(f.jahr));
    const Kennzahlenliste l = kennzahlen_berechnen(w, f.jahr, f.monat);
    EXPECT_EQ(kurz(l), f.kz);
    EXPECT_EQ(l.summe, f.summe);
    EXPECT_TRUE(l.ohne_kennzahl.empty());
  }
}

TEST(Kennzahlen, GeschuldeteSteuerErhoehtDieZahlungAufJederZeile) {
  // Every owed tax is a credit balance of its tax account (a negative
  // debit balance in the form lines): with or without base, Kz 65 and
  // Kz 69 alike, it must raise the payment; input tax lowers it.
  struct Fall {
    int zeile;
    Betrag basis, steuer;
    Betrag summe;
  };
  for (const Fall& f :
       {Fall{48, 10000, -1900, 1900}, Fall{53, 0, -1000, 1000}, Fall{65, 0, -700, 700},
        Fall{28, 10000, -1000, 1000}, Fall{56, 0, 500, -500}, Fall{62, 0, 500, -500}}) {
    SCOPED_TRACE(f.zeile);
    EXPECT_EQ(kennzahlen_berechnen(werte_mit({{f.zeile, f.basis, f.steuer}}), 2024, 3).summe,
              f.summe);
  }
}

TEST(Kennzahlen, ZeileOhneKennzahlWirdGenannt) {
  // The carry-over lines of the 2012 form, a line the form leaves empty and
  // the mobile devices' line of the supplier, which has no own Kennzahl
  // from 2015 but goes to Kz 60 then.
  const Formularwerte w = werte_mit({{45, 100, 0}, {25, 0, 200}, {39, 5000, 0}, {1, 1, 0}});
  const Kennzahlenliste l = kennzahlen_berechnen(w, 2024, 1);
  EXPECT_EQ(l.ohne_kennzahl, (std::vector<int>{1, 25, 45}));
  EXPECT_EQ(kurz(l), (std::vector<std::string>{"60/0:5000/0"}));
  EXPECT_EQ(kurz(kennzahlen_berechnen(w, 2014, 1)), (std::vector<std::string>{"68/0:5000/0"}));
}

}  // namespace
}  // namespace fibu
