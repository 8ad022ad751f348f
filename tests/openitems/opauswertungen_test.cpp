// Payment behaviour and finance disposition on small fixed books: exact
// pages, the delay of late, partial, early and excess payments, Diverse
// items on lines of their own, the dispo intervals from none to ten day
// values and at the end of the date range, the dialog's reference date.
#include "openitems/opauswertungen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>

#include "opbuchhaltung.h"
#include "openitems/offeneposten.h"

namespace fibu {
namespace {

using O = OpstammFelder;
using P = PersonenFelder;

Datum tag(int t, int m, int j = 2024) {
  return DMYtoDate(t, m, j);
}

struct Auswertung : OpBuchhaltung {
  // A further customer (due after 30 days like the others).
  void kunde(const std::string& nummer, const std::string& name, bool diverse = false) {
    m().personen->leeren();
    Satz& s = m().personen->satz();
    s.set(P::Name, name);
    s.set(P::Diverse, diverse);
    s.set(P::Sammelkonto, std::uint8_t{1});
    s.set(P::Nettotage, std::uint16_t{30});
    m().personen->speichern(nummer);
  }
  // What the maintenance screen may change on an item.
  void aendern(const std::string& key, const std::function<void(Satz&)>& wie) {
    ASSERT_TRUE(m().opstamm->suchen(key)) << key;
    wie(m().opstamm->satz());
    m().opstamm->speichern(key);
  }
  // An invoice (a credit note when negative) due on `faellig`.
  void posten(const std::string& konto, const std::string& beleg, Betrag betrag, Datum faellig) {
    if (betrag >= 0)
      rechnung(konto, beleg, betrag, tag(1, 10));
    else
      gutschrift(konto, beleg, -betrag, tag(1, 10));
    aendern(op_key(m().ist_debitor(konto) ? 'D' : 'K', beleg),
            [&](Satz& s) { s.set(O::Faelligkeitsdatum, faellig); });
  }
  void dispo(bool kreditoren, std::array<std::uint16_t, 10> tage) {
    for (int i = 0; i < 10; ++i)
      m().basis.set(
          kreditoren ? BasisFelder::tage_dispo_kreditoren(i) : BasisFelder::tage_dispo_debitoren(i),
          tage[static_cast<std::size_t>(i)]);
  }
  std::vector<std::string> zeilen() const { return t.ui.druckauftraege().back().alle_zeilen(); }
  // The lines of the payment behaviour list after its header and column line.
  std::vector<std::string> bewertungen() {
    EXPECT_TRUE(zahlungsmoral_drucken(m()));
    const auto z = zeilen();
    return {z.begin() + 8, z.end()};
  }
  // One section of the finance disposition: its interval lines and "Summe".
  std::vector<std::string> abschnitt(int stichtag, bool kreditoren) {
    EXPECT_TRUE(finanzdisposition_drucken(m(), static_cast<Datum>(stichtag)));
    const auto z = zeilen();
    auto von = std::find_if(z.begin(), z.end(), [&](const std::string& s) {
      return s.rfind(kreditoren ? "Kreditoren " : "Debitoren ", 0) == 0;
    });
    if (von == z.end()) return {};
    return {von + 2, std::find(von + 2, z.end(), std::string())};
  }
  // Its intervals as text, "Summe" left off.
  std::vector<std::string> zeitraeume(int stichtag, bool kreditoren) {
    std::vector<std::string> aus;
    for (const auto& z : abschnitt(stichtag, kreditoren)) aus.push_back(trim(z.substr(8, 24)));
    if (!aus.empty()) aus.pop_back();
    return aus;
  }
};

const std::string striche(79, '-');

TEST(Zahlungsmoral, SeiteMitVerspaetetenKontenUndDiversenPosten) {
  Auswertung b;
  b.kunde("10003", "Diverse Kunden", true);
  b.kunde("10004", "Nur Gutschrift");
  // 10001: 1000,00 due 09.02., 400,00 paid ten days late, the rest
  // twenty; 500,00 due 01.12. still open on 06.12.; the credit note does
  // not count. (10×1000 + 10×600 + 5×500) ÷ 1500 = 12.33 days.
  b.rechnung("10001", "100", 100000, tag(10, 1));
  b.zahlung("10001", "100", 40000, tag(19, 2));
  b.zahlung("10001", "100", 60000, tag(29, 2));
  b.rechnung("10001", "101", 50000, tag(1, 11));
  b.gutschrift("10001", "102", 5000, tag(15, 1));
  // 10002: paid on the due date, and one not yet due: index 0, no line.
  b.rechnung("10002", "200", 20000, tag(1, 3));
  b.zahlung("10002", "200", 20000, tag(31, 3));
  b.rechnung("10002", "201", 30000, tag(20, 11));
  // Diverse: each item on its own under its own name; the one not yet
  // due rates 0 and is left out.
  b.rechnung("10003", "300", 20000, tag(1, 10));   // due 31.10., 36 days open
  b.rechnung("10003", "301", 10000, tag(15, 10));  // due 14.11.
  b.zahlung("10003", "301", 10000, tag(24, 11));
  b.rechnung("10003", "302", 5000, tag(20, 11));
  b.aendern("D300", [](Satz& s) { s.set(O::Name, "Maier"), s.set(O::Titel, "GmbH"); });
  b.aendern("D301", [](Satz& s) { s.set(O::Name, "Huber"); });
  // An account with no invoice is not rated (and nothing divides by 0).
  b.gutschrift("10004", "400", 7000, tag(2, 1));
  // Suppliers are not rated.
  b.rechnung("70001", "500", 9000, tag(2, 1));

  ASSERT_TRUE(zahlungsmoral_drucken(b.m()));
  EXPECT_EQ(b.zeilen(),
            (std::vector<std::string>{
                striche,
                "Mandant: 001    Z a h l u n g s m o r a l   D e b i t o r e n Datum: 06.12.2024",
                "Schreinerei Holz                                                 Blatt:       1",
                "Währung: Euro",
                striche,
                "",
                "   Konto          Index    Kontoname",
                "",
                "   10001         12,33    Kunde 10001",
                "   10003         36,00    Maier GmbH",
                "   10003         10,00    Huber",
            }));
  EXPECT_EQ(
      b.t.ui.protokoll(),
      (std::vector<std::string>{"Drucker: Zahlungsmoral Debitoren", "Balken: OPs durchsuchen ...",
                                "Balken geschlossen", "Druck: Zahlungsmoral Debitoren"}));
}

TEST(Zahlungsmoral, VerzugZaehltNurNachFaelligkeitUndFuerGeschuldetes) {
  Auswertung b;
  b.kunde("10003", "Kunde 10003");
  b.kunde("10004", "Kunde 10004");
  b.kunde("10005", "Kunde 10005");
  // Half paid on the due date itself (no day passed), the rest ten days
  // later: 10 × 500 ÷ 1000.
  b.rechnung("10001", "1", 100000, tag(1, 3));  // due 31.03.
  b.zahlung("10001", "1", 50000, tag(31, 3));
  b.zahlung("10001", "1", 50000, tag(10, 4));
  // Partly paid ten days late, the rest open until today (26 days):
  // (10 × 1000 + 26 × 600) ÷ 1000.
  b.rechnung("10002", "2", 100000, tag(1, 10));  // due 31.10.
  b.zahlung("10002", "2", 40000, tag(10, 11));
  // Half paid early, the rest ten days late: the days before the due
  // date are no delay, 10 × 500 ÷ 1000.
  b.rechnung("10003", "3", 100000, tag(1, 3));
  b.zahlung("10003", "3", 50000, tag(21, 3));
  b.zahlung("10003", "3", 50000, tag(10, 4));
  // Overpaid ten days late: the credit since then does not shorten the
  // delay, 10 × 100 ÷ 100.
  b.rechnung("10004", "4", 10000, tag(1, 6));  // due 01.07.
  b.zahlung("10004", "4", 12000, tag(11, 7));
  // Partly paid early, the rest not yet due: no delay, no line.
  b.rechnung("10005", "5", 100000, tag(20, 11));  // due 20.12.
  b.zahlung("10005", "5", 50000, tag(25, 11));

  EXPECT_EQ(b.bewertungen(), (std::vector<std::string>{
                                 "   10001          5,00    Kunde 10001",
                                 "   10002         25,60    Kunde 10002",
                                 "   10003          5,00    Kunde 10003",
                                 "   10004         10,00    Kunde 10004",
                             }));

  // A payment paid back reopens the item: it is owed again from then on.
  b.zahlung("10004", "4", -12000, tag(26, 11));  // 10 days until today on 100,00
  EXPECT_EQ(b.bewertungen()[3], "   10004         20,00    Kunde 10004");
}

TEST(Finanzdisposition, SeiteMitIntervallgrenzenUndOhneTage) {
  Auswertung b;
  b.dispo(false, {7, 14});  // n = 2
  b.dispo(true, {});        // n = 0: before and from the reference date
  // Customers, reference date 01.12.2024.
  b.posten("10001", "100", 100000, tag(15, 11));  // before: 700,00 after the payment
  b.zahlung("10001", "100", 30000, tag(5, 11));
  b.posten("10001", "101", 50000, tag(1, 12));  // the reference date opens the first interval
  b.posten("10002", "102", 25000, tag(8, 12));  // S + 7 still closes it
  b.posten("10002", "103", 40000, tag(9, 12));  // S + 8 opens the second
  b.posten("10001", "104", 60000, tag(10, 12));
  b.zahlung("10001", "104", 60000, tag(2, 11));   // settled: adds 0
  b.posten("10002", "105", -10000, tag(24, 12));  // S + 23: the rest of the range
  b.posten("10002", "106", 10000, tag(20, 11));
  b.zahlung("10002", "106", 15000, tag(2, 11));  // overpaid: -50,00 before
  // Suppliers count what the client owes as positive.
  b.posten("70001", "700", 80000, tag(20, 11));
  b.posten("70002", "701", 30000, tag(1, 1, 2025));
  b.posten("70001", "702", -5000, tag(5, 12));

  ASSERT_TRUE(finanzdisposition_drucken(b.m(), tag(1, 12)));
  EXPECT_EQ(b.zeilen(),
            (std::vector<std::string>{
                striche,
                "Mandant: 001           F i n a n z d i s p o s i t i o n      Datum: 06.12.2024",
                "                             Stichtag: 01.12.2024",
                "Schreinerei Holz                                                 Blatt:       1",
                "Währung: Euro",
                striche,
                "",
                "Debitoren            Zeitraum           Fällig     Summe-Fällig",
                "",
                "        Vor Stichtag                    650,00           650,00",
                "        01.12.2024 - 08.12.2024         750,00         1.400,00",
                "        09.12.2024 - 23.12.2024         400,00         1.800,00",
                "        24.12.2024 - 05.06.2079        -100,00         1.700,00",
                "        Summe                         1.700,00",
                "",
                "Kreditoren           Zeitraum           Fällig     Summe-Fällig",
                "",
                "        Vor Stichtag                    800,00           800,00",
                "        01.12.2024 - 05.06.2079         250,00         1.050,00",
                "        Summe                         1.050,00",
            }));
  EXPECT_EQ(b.t.ui.protokoll(), (std::vector<std::string>{
                                    "Drucker: Finanzdisposition", "Balken: Druck Finanzdisposition",
                                    "Balken geschlossen", "Druck: Finanzdisposition"}));
}

TEST(Finanzdisposition, ZehnTageswerteLueckenUndEndeDesDatumsbereichs) {
  Auswertung b;
  // The base data's 10, 20, ..., 100: each interval runs its days beyond
  // its first day, the rest of the range follows the tenth.
  auto z = b.zeitraeume(tag(1, 12), false);
  ASSERT_EQ(z.size(), 12u);
  EXPECT_EQ(z[2], "12.12.2024 - 01.01.2025");
  EXPECT_EQ(z[10], "05.03.2026 - 13.06.2026");
  EXPECT_EQ(z[11], "14.06.2026 - 05.06.2079");
  // A 0 before the last value that is not 0 is a one-day interval.
  b.dispo(true, {5, 0, 3});
  EXPECT_EQ(b.zeitraeume(tag(1, 12), true),
            (std::vector<std::string>{"Vor Stichtag", "01.12.2024 - 06.12.2024",
                                      "07.12.2024 - 07.12.2024", "08.12.2024 - 11.12.2024",
                                      "12.12.2024 - 05.06.2079"}));
  // At the end of the date range intervals are cut at its last day and
  // those that would begin after it are left out.
  EXPECT_EQ(b.zeitraeume(tag(31, 5, 2079), false),
            (std::vector<std::string>{"Vor Stichtag", "31.05.2079 - 05.06.2079"}));
  b.dispo(false, {10});
  EXPECT_EQ(b.zeitraeume(letztes_datum - 10, false),
            (std::vector<std::string>{"Vor Stichtag", "26.05.2079 - 05.06.2079"}));
  EXPECT_EQ(b.zeitraeume(letztes_datum - 11, false),
            (std::vector<std::string>{"Vor Stichtag", "25.05.2079 - 04.06.2079",
                                      "05.06.2079 - 05.06.2079"}));
  // An item due on the last day lands in the last interval.
  b.posten("10001", "1", 12300, letztes_datum);
  EXPECT_EQ(b.abschnitt(letztes_datum - 11, false)[2],
            "        05.06.2079 - 05.06.2079         123,00           123,00");
}

TEST(Finanzdisposition, DialogAbbruchUndSeitenwechsel) {
  Auswertung b;
  b.rechnung("10001", "1", 10000, tag(1, 11));  // due 01.12.
  TFFinanzdisposition f(b.m());
  EXPECT_EQ(f.form().datum(1), b.t.heute.Today());
  b.t.ui.formular_skript({Formularschritt::tippe("Stichtag Berechnung", "02.12.2024"),
                          Formularschritt::druecke(Taste::Esc)});
  ASSERT_TRUE(f.ausfuehren());
  EXPECT_EQ(b.zeilen()[2], "                             Stichtag: 02.12.2024");
  EXPECT_EQ(b.zeilen()[9], "        Vor Stichtag                    100,00           100,00");
  // A cleared field is today.
  b.t.ui.formular_skript(
      {Formularschritt::tippe("Stichtag Berechnung", ""), Formularschritt::druecke(Taste::Esc)});
  ASSERT_TRUE(TFFinanzdisposition(b.m()).ausfuehren());
  EXPECT_EQ(b.zeilen()[2], "                             Stichtag: 06.12.2024");

  // On a short page the suppliers' section does not fit below the
  // customers' and starts the next page under the repeated header.
  b.t.ui.zeilen_pro_seite(30);
  ASSERT_TRUE(finanzdisposition_drucken(b.m(), tag(1, 12)));
  const auto& seiten = b.t.ui.druckauftraege().back().seiten;
  ASSERT_EQ(seiten.size(), 2u);
  EXPECT_EQ(seiten[0].zeilen.size(), 23u);
  EXPECT_EQ(seiten[1].zeilen[3].text.substr(65), "Blatt:       2");
  EXPECT_EQ(seiten[1].zeilen[7].text,
            "Kreditoren           Zeitraum           Fällig     Summe-Fällig");

  // Cancelled dialog, cancelled printer, Esc during the run: nothing printed.
  const std::size_t gedruckt = b.t.ui.druckauftraege().size();
  b.t.ui.formular_skript({Formularschritt::schliesse()});
  EXPECT_FALSE(TFFinanzdisposition(b.m()).ausfuehren());
  b.t.ui.formular_skript({Formularschritt::druecke(Taste::Esc)});
  b.t.ui.drucker_ablehnen();
  EXPECT_FALSE(TFFinanzdisposition(b.m()).ausfuehren());
  b.t.ui.drucker_ablehnen();
  EXPECT_FALSE(zahlungsmoral_drucken(b.m()));
  b.t.ui.esc_nach(1);
  EXPECT_FALSE(finanzdisposition_drucken(b.m(), tag(1, 12)));
  EXPECT_FALSE(zahlungsmoral_drucken(b.m()));
  EXPECT_EQ(b.t.ui.druckauftraege().size(), gedruckt);
  EXPECT_FALSE(b.t.ui.balken_offen());
  b.t.ui.alles_verbraucht();
}

}  // namespace
}  // namespace fibu
