// Payment behaviour on small fixed books: the exact page, the delay of
// late, partial, early and excess payments, Diverse items on lines of
// their own.
#include "openitems/opauswertungen.h"

#include <gtest/gtest.h>

#include <functional>

#include "opbuchhaltung.h"

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
  std::vector<std::string> zeilen() const { return t.ui.druckauftraege().back().alle_zeilen(); }
  // The lines of the payment behaviour list after its header and column line.
  std::vector<std::string> bewertungen() {
    EXPECT_TRUE(zahlungsmoral_drucken(m()));
    const auto z = zeilen();
    return {z.begin() + 8, z.end()};
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

TEST(Zahlungsmoral, AbbruchUndDruckerwahl) {
  Auswertung b;
  b.rechnung("10001", "1", 10000, tag(1, 1));
  b.t.ui.drucker_ablehnen();
  EXPECT_FALSE(zahlungsmoral_drucken(b.m()));
  b.t.ui.esc_nach(1);
  EXPECT_FALSE(zahlungsmoral_drucken(b.m()));
  EXPECT_TRUE(b.t.ui.druckauftraege().empty());
  EXPECT_FALSE(b.t.ui.balken_offen());
}

}  // namespace
}  // namespace fibu
