// Balance lists on the small client of the posting tests: exact lines for
// fixed account totals (class sums, period ranges, accounts without
// movement, notices), the group blocks of the personal lists, and random
// books posted through the engine whose list must balance.
#include "reports/saldenliste.h"

#include <gtest/gtest.h>

#include <random>

#include "../posting/testbuchhaltung.h"
#include "suite/test_dateisystem.h"

namespace fibu {
namespace {

using S = SachFelder;
using P = PersonenFelder;

struct Umgebung : Testumgebung {

  // A GL account with fixed totals: opening balance and per period debit
  // and credit.
  void sachkonto(const std::string& nummer, const std::string& name, Betrag eroeffnung,
                 std::vector<std::tuple<int, Betrag, Betrag>> perioden) {
    if (!m().sach->suchen(nummer)) m().sach->leeren();
    Satz& s = m().sach->satz();
    s.set(S::Bezeichnung1, name);
    s.set(S::Eroeffnungssaldo, eroeffnung);
    for (int p = 1; p <= 12; ++p) s.set(S::soll(p), Betrag{0}), s.set(S::haben(p), Betrag{0});
    for (auto [p, soll, haben] : perioden) s.set(S::soll(p), soll), s.set(S::haben(p), haben);
    m().sach->speichern(nummer);
  }
  std::vector<std::string> liste() const {
    const auto z = t.ui.druckauftraege().back().alle_zeilen();
    return {z.begin() + 7, z.end()};  // after the standard header
  }
};

std::string zeile(const std::string& links, std::vector<std::string> betraege) {
  std::string z = links;
  for (const auto& b : betraege) z += " " + std::string(14 - b.size(), ' ') + b;
  return z;
}

TEST(Saldenliste, PeriodenbereichKlassensummenUndLeereKonten) {
  Umgebung u;
  // Only these accounts carry totals; every other account of the chart is
  // without movement.
  u.sachkonto("0480", "Maschinen", 500000, {{2, 99900, 0}, {3, 10000, 0}});
  u.sachkonto("0650", "Fahrzeuge", 0, {{5, 20000, 5000}});
  u.sachkonto("1200", "Bank", -500000, {{1, 0, 77700}, {4, 0, 10000}, {5, 3000, 18000}});
  SaldenlisteSachkonten e = saldenliste_vorgabe(u.m());
  e.periode_von = 3;
  e.periode_bis = 5;
  e.konto_von = 1;
  e.konto_bis = 1200;
  saldenliste_drucken(u.m(), e);
  const auto z = u.t.ui.druckauftraege().back().alle_zeilen();
  EXPECT_EQ(z[1].substr(0, 12), "Mandant: 001");
  EXPECT_NE(z[1].find("S a l d e n l i s t e   S a c h k o n t e n"), std::string::npos) << z[1];
  EXPECT_NE(z[2].find("Zeitraum: 3-5"), std::string::npos) << z[2];
  const std::vector<std::string> erwartet = {
      // The group titles centred over their two columns each.
      std::string(53, ' ') + "Monatswerte Periode 5" + std::string(8, ' ') +
          "Jahreswerte Periode 3-5",
      " Kontonr Bezeichnung                   Eröffnung            Soll          Haben           "
      "Soll          Haben          Saldo",
      "",
      // Periods 1 and 2 do not count; the month columns show period 5.
      zeile("    0480 Maschinen                ",
            {"5.000,00", "0,00", "0,00", "100,00", "0,00", "5.100,00"}),
      zeile("    0650 Fahrzeuge                ",
            {"0,00", "200,00", "50,00", "200,00", "50,00", "150,00"}),
      zeile("Summe Klasse  0                   ",
            {"5.000,00", "200,00", "50,00", "300,00", "50,00", "5.250,00"}),
      "",
      zeile("    1200 Bank                     ",
            {"-5.000,00", "30,00", "180,00", "30,00", "280,00", "-5.250,00"}),
      zeile("Summe Klasse  1                   ",
            {"-5.000,00", "30,00", "180,00", "30,00", "280,00", "-5.250,00"}),
      "",
      zeile("Gesamtsumme                       ",
            {"0,00", "230,00", "230,00", "330,00", "330,00", "0,00"}),
  };
  // A partial range: no notices.
  EXPECT_EQ(u.liste(), erwartet);

  // Without the filter, the accounts without movement are printed with zeros.
  e.nur_mit_umsatz = false;
  e.konto_von = 1000;
  e.konto_bis = 1000;
  saldenliste_drucken(u.m(), e);
  EXPECT_EQ(u.liste()[3], zeile("    1000 Konto 1000               ",
                                {"0,00", "0,00", "0,00", "0,00", "0,00", "0,00"}));
}

TEST(Saldenliste, HinweiseNurUeberDenGanzenBereich) {
  Umgebung u;
  u.sachkonto("1200", "Bank", 10000, {{1, 5000, 0}});
  SaldenlisteSachkonten e = saldenliste_vorgabe(u.m());
  EXPECT_EQ(e.periode_von, 1);
  EXPECT_EQ(e.periode_bis, 1);
  saldenliste_drucken(u.m(), e);
  const auto z = u.liste();
  EXPECT_EQ(std::vector<std::string>(z.end() - 5, z.end()),
            (std::vector<std::string>{
                zeile("Gesamtsumme                       ",
                      {"100,00", "50,00", "0,00", "50,00", "0,00", "150,00"}),
                "HINWEIS: Die Summe der Eröffnungsbuchungen ist nicht Null!",
                "HINWEIS: Soll und Haben der Monatswerte gleichen sich nicht aus!",
                "HINWEIS: Soll und Haben der Jahreswerte gleichen sich nicht aus!",
                "HINWEIS: Der Gesamtsaldo ist nicht Null!"}));
  e.konto_bis = 9998;
  saldenliste_drucken(u.m(), e);
  EXPECT_EQ(u.liste().back().substr(0, 11), "Gesamtsumme");
}

TEST(Saldenliste, PersonenlisteGruppensummenUndSuchname) {
  Umgebung u;
  auto person = [&](const char* nummer, const char* name, const char* such, Betrag soll, bool gruppe) {
    if (!u.m().personen->suchen(nummer)) u.m().personen->leeren();
    Satz& s = u.m().personen->satz();
    s.set(P::Name, name);
    s.set(P::Suchname, such);
    s.set(P::soll(1), soll);
    s.set(P::SummeInSaldenliste, gruppe);
    u.m().personen->speichern(nummer);
  };
  person("10001", "Anker", "ZETT", 10000, false);
  person("10002", "Berg", "ALPHA", 20000, true);
  person("10003", "Christ", "", 40000, false);
  person("70001", "Lieferant", "LIEF", 90000, false);  // a supplier: not in this list
  SaldenlistePersonen e = saldenliste_vorgabe(u.m(), false);
  saldenliste_drucken(u.m(), e);
  auto z = u.liste();
  EXPECT_EQ(std::vector<std::string>(z.begin() + 3, z.end()),
            (std::vector<std::string>{
                zeile("   10001 Anker                    ",
                      {"0,00", "100,00", "0,00", "100,00", "0,00", "100,00"}),
                // The flag of 10002 opens a new group: the block before it.
                zeile("Gruppensummen                     ",
                      {"0,00", "100,00", "0,00", "100,00", "0,00", "100,00"}),
                "",
                zeile("   10002 Berg                     ",
                      {"0,00", "200,00", "0,00", "200,00", "0,00", "200,00"}),
                zeile("   10003 Christ                   ",
                      {"0,00", "400,00", "0,00", "400,00", "0,00", "400,00"}),
                zeile("Gesamtsumme                       ",
                      {"0,00", "700,00", "0,00", "700,00", "0,00", "700,00"})}));
  // By search name: the one without first, then ALPHA, ZETT.
  e.nach_suchname = true;
  saldenliste_drucken(u.m(), e);
  z = u.liste();
  EXPECT_EQ(z[3].substr(0, 14), "   10003 Chris");
  EXPECT_EQ(z[4].substr(0, 13), "Gruppensummen");
  EXPECT_EQ(z[6].substr(0, 14), "   10002 Berg ");
  EXPECT_EQ(z[7].substr(0, 14), "   10001 Anker");
}

// Random documents of two lines each (debit and credit of the same gross
// amount) through the posting engine: the GL list must balance, and its
// "Gesamtsumme" must be the sum of the balances the engine kept.
TEST(Saldenliste, ZufallsbuchhaltungGleichtSichAus) {
  Umgebung u;
  std::mt19937 zufall(4711);
  const std::vector<std::string> konten = {"1000", "1200", "3400", "4400", "1999", "10001", "70001"};
  std::int64_t nummer = 0;
  for (int beleg = 0; beleg < 60; ++beleg) {
    const std::string a = konten[zufall() % konten.size()];
    std::string b = konten[zufall() % konten.size()];
    if (b == a) b = "1200" == a ? "1000" : "1200";
    const Betrag betrag = 100 + static_cast<Betrag>(zufall() % 500000);
    const int periode = 1 + static_cast<int>(zufall() % 12);
    const Datum datum = DMYtoDate(10, periode, 2024);
    u.t.buchung(a, 'S', betrag, b, "", ' ', "B" + std::to_string(beleg), periode, datum);
    ASSERT_TRUE(u.t.kern->buchung_schreiben(++nummer));
    u.t.buchung(b, 'H', betrag, a, "", ' ', "B" + std::to_string(beleg), periode, datum);
    ASSERT_TRUE(u.t.kern->buchung_schreiben(++nummer));
  }
  SaldenlisteSachkonten e = saldenliste_vorgabe(u.m());
  e.periode_von = 1;
  e.periode_bis = 12;
  saldenliste_drucken(u.m(), e);
  const auto z = u.liste();
  // No notice: the year's debit and credit balance, and so does the total.
  EXPECT_EQ(z.back().substr(0, 11), "Gesamtsumme") << z.back();
  Betrag summe = 0;
  std::string k;
  for (bool ok = u.m().sach->lies_weiter(1, k); ok; ok = u.m().sach->lies_weiter(1, k))
    summe += u.m().sach->satz().get(S::Saldo);
  EXPECT_EQ(summe, 0);
  const std::string& gesamt = z.back();
  EXPECT_EQ(gesamt.substr(gesamt.size() - 14), std::string(10, ' ') + "0,00");
  EXPECT_EQ(gesamt.substr(34 + 45, 15), gesamt.substr(34 + 60, 15));  // year debit = credit
}

}  // namespace
}  // namespace fibu
