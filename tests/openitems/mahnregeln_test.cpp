// The rules of a dunning run, case by case: when an item is due for a
// letter, how items form letters, the text of a level, the interest of a
// letter (a rate stored as 1200 is 12.00 %) and the deadline in the text.
#include "openitems/mahnregeln.h"

#include <gtest/gtest.h>

#include "store/bewegungssaetze.h"
#include "store/parametersaetze.h"

namespace fibu {
namespace {

using O = OpstammFelder;
using K = MahnkennEintrag;

Datum tag(int t, int m) { return DMYtoDate(t, m, 2024); }

Satz op(const std::string& konto, const std::string& beleg, Betrag betrag, Betrag offen,
        Datum faellig, int stufe = 0, Datum mahndatum = kein_datum) {
  Satz s(O::groesse);
  s.setze_u8(O::Kennung, 'D');
  s.set(O::Kontonummer, konto);
  s.set(O::Belegnummer, beleg);
  s.set(O::Betrag, betrag);
  s.set(O::NochOffen, offen);
  s.set(O::Faelligkeitsdatum, faellig);
  s.set(O::Mahnstufe, static_cast<std::uint8_t>(stufe));
  s.set(O::Mahndatum, mahndatum);
  s.set(O::Mahnkennziffer, std::uint8_t{1});
  return s;
}

Satz code(int tage1) {
  Satz c(K::groesse);
  c.set(K::Bezeichnung, "Standard");
  c.set(K::tage(1), static_cast<std::uint16_t>(tage1));
  for (int k = 2; k <= 5; ++k) c.set(K::tage(k), std::uint16_t{10});
  c.set(K::MahnenAb, std::int64_t{500});
  return c;
}

TEST(Mahnregeln, WannEinOpFaelligIst) {
  Mahnauswahl a;
  a.stichtag = tag(1, 3);
  a.konto_von = 10000;
  a.konto_bis = 69999;
  struct Fall {
    const char* was;
    Satz op;
    int tage1;
    bool faellig;
  };
  Satz gesperrt = op("10001", "1", 10000, 10000, tag(1, 3));
  gesperrt.set(O::Mahnen, std::uint16_t{1});
  Satz lieferant = op("70001", "1", 10000, 10000, tag(1, 3));
  lieferant.setze_u8(O::Kennung, 'K');
  Satz ohne_code = op("10001", "1", 10000, 10000, tag(1, 3));
  ohne_code.set(O::Mahnkennziffer, std::uint8_t{0});
  const Fall faelle[] = {
      {"due on the reference date, no days", op("10001", "1", 10000, 10000, tag(1, 3)), 0, true},
      {"14 days not yet passed", op("10001", "1", 10000, 10000, tag(1, 3)), 14, false},
      {"14 days passed", op("10001", "1", 10000, 10000, tag(16, 2)), 14, true},
      {"not yet due", op("10001", "1", 10000, 10000, tag(2, 3)), 0, false},
      {"settled", op("10001", "1", 10000, 0, tag(1, 2)), 0, false},
      {"below the minimum", op("10001", "1", 10000, 499, tag(1, 2)), 0, false},
      {"a credit open by more than the minimum", op("10001", "1", -10000, -10000, tag(1, 2)), 0,
       true},
      {"level 1, 10 days since the letter", op("10001", "1", 10000, 10000, tag(1, 1), 1, tag(20, 2)),
       0, true},
      {"level 1, 9 days since the letter", op("10001", "1", 10000, 10000, tag(1, 1), 1, tag(21, 2)),
       0, false},
      {"level 5 is dunned again", op("10001", "1", 10000, 10000, tag(1, 1), 5, tag(1, 2)), 0, true},
      {"level 6", op("10001", "1", 10000, 10000, tag(1, 1), 6, tag(1, 2)), 0, false},
      {"blocked", gesperrt, 0, false},
      {"a supplier's item", lieferant, 0, false},
      {"no dunning code", ohne_code, 0, false},
      {"outside the accounts", op("70001", "1", 10000, 10000, tag(1, 2)), 0, false},
  };
  for (const Fall& f : faelle) EXPECT_EQ(mahnfaellig(f.op, code(f.tage1), a), f.faellig) << f.was;
  Mahnauswahl belege = a;
  belege.beleg_von = 100;
  belege.beleg_bis = 199;
  EXPECT_TRUE(mahnfaellig(op("10001", "150", 10000, 10000, tag(1, 2)), code(0), belege));
  EXPECT_FALSE(mahnfaellig(op("10001", "200", 10000, 10000, tag(1, 2)), code(0), belege));
}

TEST(Mahnregeln, BriefeJeKunde) {
  std::vector<Satz> ops = {op("10001", "1", 10000, 10000, tag(1, 1)),
                           op("10001", "2", 5000, 5000, tag(1, 1)),
                           op("10002", "3", 10000, 10000, tag(1, 1)),
                           // An invoice of 100.00 and a credit note of -150.00: no letter.
                           op("10003", "4", 10000, 10000, tag(1, 1)),
                           op("10003", "5", -15000, -15000, tag(1, 1)),
                           op("10004", "6", 2000, 2000, tag(1, 1)),
                           op("10004", "7", 3000, 3000, tag(1, 1))};
  ops[6].set(O::Diverse, true);  // a one-time customer's item stands alone
  EXPECT_EQ(mahnbriefe(ops, true), (std::vector<std::vector<std::size_t>>{{0, 1}, {2}, {5}, {6}}));
  EXPECT_EQ(mahnbriefe(ops, false),
            (std::vector<std::vector<std::size_t>>{{0}, {1}, {2}, {3}, {5}, {6}}));
}

TEST(Mahnregeln, TextnummerDerStufe) {
  Satz c(K::groesse);
  c.set(K::textnummer(1), std::uint16_t{4});
  c.set(K::textnummer(2), std::uint16_t{5});
  c.set(K::textnummer(3), std::uint16_t{0});  // not set: level 2's text
  bool ungueltig = false;
  EXPECT_EQ(mahntextnummer(c, 2, ungueltig), 5);
  EXPECT_FALSE(ungueltig);
  EXPECT_EQ(mahntextnummer(c, 3, ungueltig), 5);
  EXPECT_TRUE(ungueltig);
  Satz leer(K::groesse);
  ungueltig = false;
  EXPECT_EQ(mahntextnummer(leer, 1, ungueltig), 1);
  EXPECT_TRUE(ungueltig);
}

TEST(Mahnregeln, Zinsen) {
  // 1,000.00 at 12.00 % for 30 days: 1000 × 0.12 × 30 / 365 = 9.86.
  EXPECT_EQ(mahnzinsen({{100000, tag(1, 3)}}, 1200, tag(31, 3)), 986);
  // A payment bears interest from its own date when it is later than the
  // due date, and reduces the interest.
  EXPECT_EQ(mahnzinsen({{100000, tag(1, 3)}, {-50000, tag(16, 3)}}, 1200, tag(31, 3)),
            986 - 247);
  // Days before the start count as none; each term rounded on its own.
  EXPECT_EQ(mahnzinsen({{100000, tag(1, 4)}}, 1200, tag(31, 3)), 0);
  EXPECT_EQ(mahnzinsen({{1, tag(1, 3)}, {1, tag(1, 3)}}, 1200, tag(1, 3) + 365), 0);
}

TEST(Mahnregeln, FristImText) {
  const Datum frist = DMYtoDate(16, 12, 2024);
  EXPECT_EQ(frist_einsetzen("Bitte bis »00.00.0000« zahlen.", frist),
            "Bitte bis »16.12.2024« zahlen.");
  EXPECT_EQ(frist_einsetzen("bis »00.00.00«, spätestens »00.00.00«", frist),
            "bis »16.12.24«, spätestens »16.12.24«");
  EXPECT_EQ(frist_einsetzen("ohne Frist 00.00.00", frist), "ohne Frist 00.00.00");
}

}  // namespace
}  // namespace fibu
