// The booking check: each check on a booking that passes every other one,
// the order of the checks, the in-place corrections, and the texts.
#include <gtest/gtest.h>

#include <functional>

#include "suite/test_dateisystem.h"
#include "testbuchhaltung.h"

namespace fibu {
namespace {

using B = BuchungFelder;
using BF = BasisFelder;

class Pruefen : public ::testing::Test {
 protected:
  void SetUp() override {
    t.anlegen();
    t.m->kostart->oeffnen();
    t.m->kosten->leeren();
    t.m->kosten->speichern("K1000");
    t.m->kosten->leeren();
    t.m->kosten->satz().set(KostenFelder::FreiBebuchbar, true);
    t.m->kosten->speichern("K2000");
    t.m->kosten->leeren();
    t.m->kosten->speichern("V0012");
    t.m->sach->leeren();
    t.m->sach->satz().set(SachFelder::Steuerschluessel, std::uint8_t{3});
    t.m->sach->speichern("4300");  // its tax key has no tax account
    t.m->sach->leeren();
    t.m->sach->satz().set(SachFelder::Kontenart, std::uint8_t{5});
    t.m->sach->satz().set(SachFelder::Steuerschluessel, std::uint8_t{40});
    t.m->sach->speichern("3430");  // acquisition without key 41
    t.m->personen->leeren();
    t.m->personen->satz().set(PersonenFelder::Sammelkonto, std::uint8_t{5});
    t.m->personen->speichern("10005");  // collective account 5 is not set
    t.buchung("10001", 'S', 11900, "4400", "", 'R', "R1");
    ASSERT_TRUE(t.kern->buchen(1));
  }

  // The code for a GL line 4400 H 116.00 against 1200 with key 1, after `aendern`.
  int code(const std::function<void(Satz&)>& aendern, bool intervall = false) {
    Satz& b = t.buchung("4400", 'H', 11600, "1200", "1");
    aendern(b);
    return t.kern->buchung_pruefen(b, intervall);
  }
  static std::function<void(Satz&)> setze(TextFeld f, const std::string& wert) {
    return [f, wert](Satz& b) { b.set(f, wert); };
  }
  static void art(Satz& b, char a) { b.setze_u8(B::Buchungsart, static_cast<std::uint8_t>(a)); }
  // A personal-account line.
  static std::function<void(Satz&)> person(const std::string& konto, char a,
                                           const std::string& beleg) {
    return [=](Satz& b) {
      b.set(B::Konto, konto);
      b.set(B::Steuerschluessel, "");
      art(b, a);
      b.set(B::Belegnr, beleg);
    };
  }

  TestDateisystem fs;
  Testbuchhaltung t{fs};
};

TEST_F(Pruefen, EachCheckReturnsItsCode) {
  EXPECT_EQ(code([](Satz&) {}), 0);
  EXPECT_EQ(code([](Satz& b) { art(b, 'X'); }), 11);
  EXPECT_EQ(code(person("10001", ' ', "R9")), 25);
  EXPECT_EQ(code([](Satz& b) { b.setze_u8(B::SollHaben, 'x'); }), 16);
  EXPECT_EQ(code([](Satz& b) {
              b.set(B::Konto, "");
              art(b, 'E');
            }),
            1);
  EXPECT_EQ(code(setze(B::Konto, "1400")), 7);
  EXPECT_EQ(code(setze(B::Konto, "1610")), 7);
  EXPECT_EQ(code(setze(B::Konto, "1776")), 8);
  EXPECT_EQ(code([](Satz& b) {
              person("10002", 'R', "R9")(b);
              b.set(B::Kost, "2000");
            }),
            18);
  EXPECT_EQ(code(setze(B::Kost, "1234")), 13);
  EXPECT_EQ(code(setze(B::Kost, "13")), 13) << "allocation key V0013 is missing";
  EXPECT_EQ(code(setze(B::Kost, "12")), 0);
  EXPECT_EQ(code(setze(B::Kost, "2000")), 0) << "freely bookable";
  EXPECT_EQ(code(setze(B::Kost, "1000")), 18) << "no cost type links K1000 with 4400";
  t.m->kostart->leeren();
  t.m->kostart->satz().set(KostartFelder::Schluessel2, "44001000");
  t.m->kostart->speichern("10004400");
  EXPECT_EQ(code(setze(B::Kost, "1000")), 0);
  EXPECT_EQ(code(setze(B::Gegenkonto, "")), 2);
  EXPECT_EQ(code(setze(B::Gegenkonto, "1600")), 9);
  EXPECT_EQ(code(setze(B::Gegenkonto, "1574")), 10);
  EXPECT_EQ(code([](Satz& b) { b.set(B::Betrag, Betrag{0}); }), 3);
  EXPECT_EQ(code([](Satz& b) { b.set(B::Periode, std::uint8_t{0}); }), 17);
  EXPECT_EQ(code([](Satz& b) { b.set(B::Datum, DMYtoDate(15, 2, 2024)); }), 4);
  EXPECT_EQ(code([](Satz& b) {
              b.set(B::Periode, std::uint8_t{2});
              b.set(B::Datum, DMYtoDate(29, 2, 2024));
            }),
            0);
  EXPECT_EQ(code(setze(B::Steuerschluessel, "41")), 14);
  EXPECT_EQ(code(setze(B::Steuerschluessel, "A")), 14);
  EXPECT_EQ(code(setze(B::Steuerschluessel, "3")), 15);
  EXPECT_EQ(code(person("10001", 'R', "")), 24);
  EXPECT_EQ(code(person("10001", 'R', "R1")), 6);
  EXPECT_EQ(code(person("70001", 'G', "R1")), 0) << "K R1 is another item than D R1";
  EXPECT_EQ(code([](Satz& b) {
              person("10001", 'E', "R1")(b);
              b.set(B::Eroeffnungsart, std::uint8_t{1});
            }),
            6);
  EXPECT_EQ(code(person("10001", 'Z', "")), 24);
  EXPECT_EQ(code(person("10001", 'Z', "R2")), 19);
  EXPECT_EQ(code(person("10001", 'Z', "R1")), 0);
  EXPECT_EQ(code([](Satz& b) {
              person("10001", 'E', "R2")(b);
              b.set(B::Eroeffnungsart, std::uint8_t{2});
            }),
            19);
  EXPECT_EQ(code(setze(B::Konto, "4500")), 26);
  EXPECT_EQ(code(person("10009", 'R', "R9")), 27);
  EXPECT_EQ(code(person("10005", 'R', "R9")), 20);
  EXPECT_EQ(code(setze(B::Konto, "4300")), 20);
  EXPECT_EQ(code(setze(B::Konto, "3430")), 20);
  EXPECT_EQ(code(setze(B::Konto, "3425")), 0);
}

TEST_F(Pruefen, DocumentNumberInterval) {
  // GL "1".."9999999", Debitoren "9500000".."9599999", Kreditoren "500000".."599999".
  EXPECT_EQ(code(setze(B::Belegnr, "0000042"), true), 0);
  EXPECT_EQ(code(setze(B::Belegnr, "12345678"), true), 5);
  EXPECT_EQ(code(setze(B::Belegnr, "A1"), true), 5);
  EXPECT_EQ(code(setze(B::Belegnr, "12345678"), false), 0);
  EXPECT_EQ(code(person("10001", 'R', "42"), true), 5);
  EXPECT_EQ(code(person("10001", 'R', "9500042"), true), 0);
  EXPECT_EQ(code(person("70001", 'R', "9500042"), true), 5);
  EXPECT_EQ(code(person("70001", 'R', "599999"), true), 0);
}

TEST_F(Pruefen, CounterAccountRanges) {
  Satz& basis = t.m->basis;
  basis.set(BF::pruefung(0, 3), std::int32_t{4000});
  basis.set(BF::pruefung(1, 3), std::int32_t{4999});
  basis.set(BF::pruefung(2, 3), std::int32_t{1000});
  basis.set(BF::pruefung(3, 3), std::int32_t{1000});
  EXPECT_EQ(code(setze(B::Gegenkonto, "1000")), 0) << "the check is off";
  basis.set(BF::PruefungSachAktiv, true);
  EXPECT_EQ(code(setze(B::Gegenkonto, "1000")), 21);
  EXPECT_EQ(code(setze(B::Gegenkonto, "1200")), 0);

  basis.set(BF::PruefungDebitorAktiv, true);
  basis.set(BF::pruefung(4, 9), std::int32_t{4000});
  basis.set(BF::pruefung(5, 9), std::int32_t{4400});
  EXPECT_EQ(code([](Satz& b) {
              person("10001", 'R', "R9")(b);
              b.set(B::Gegenkonto, "4400");
            }),
            0);
  EXPECT_EQ(code([](Satz& b) {
              person("10001", 'R', "R9")(b);
              b.set(B::Gegenkonto, "3400");
            }),
            22);
  EXPECT_EQ(code([](Satz& b) {
              person("10001", 'R', "R9")(b);
              b.set(B::Gegenkonto, "70001");
            }),
            0)
      << "a personal counter-account is not checked";
  basis.set(BF::PruefungKreditorAktiv, true);
  EXPECT_EQ(code(person("70001", 'R', "R9")), 23) << "no range is allowed";
}

TEST_F(Pruefen, ChecksRunInTheirOrderAndCorrectTheRecord) {
  EXPECT_EQ(code([](Satz& b) {
              b.set(B::Gegenkonto, "");
              b.set(B::Betrag, Betrag{0});
              b.set(B::Periode, std::uint8_t{0});
            }),
            2);
  EXPECT_EQ(code([](Satz& b) {
              b.set(B::Konto, "1400");
              b.setze_u8(B::SollHaben, 'X');
            }),
            16);
  Satz& b = t.buchung("4400", 'h', 11600, "1200", "1");
  b.set(B::Kost, "0");
  EXPECT_EQ(t.kern->buchung_pruefen(b, false), 0);
  EXPECT_EQ(b.u8(B::SollHaben), 'H');
  EXPECT_EQ(b.get(B::Kost), "");
  t.m->basis.set(BF::Kostenstellenzwang, std::uint16_t{1});
  EXPECT_EQ(code([](Satz&) {}), 12);
  EXPECT_EQ(code(setze(B::Kost, "0")), 12);
}

TEST(PruefText, KnowsEveryCodeAndNothingElse) {
  for (int c = 1; c <= 27; ++c) EXPECT_FALSE(pruef_text(c).empty()) << c;
  EXPECT_EQ(pruef_text(7),
            "Konto ist Forderungskonto oder Verbindlichkeitskontound kann nicht direkt bebucht "
            "werden!");
  EXPECT_EQ(pruef_text(9), pruef_text(7));
  EXPECT_EQ(pruef_text(10), pruef_text(8));
  EXPECT_EQ(pruef_text(20), "Forder-/Verbindlichkeits- oder Steuerkonto nicht gefunden!");
  EXPECT_EQ(pruef_text(26), "Sachkonto nicht gefunden!");
  EXPECT_EQ(pruef_text(27), "Personenkonto nicht gefunden!");
  EXPECT_EQ(pruef_text(51), "Bitte Skontokonto eingeben!");
  EXPECT_EQ(pruef_text(52), "Bitte korrekten Skontobetrag eingeben!");
  EXPECT_EQ(pruef_text(53), "Bitte Kostenstelle 2 eingeben!");
  EXPECT_EQ(pruef_text(54), "Bitte gültige Kostenstelle 2 eingeben!");
  for (int c : {0, -1, 28, 50, 55, 1000}) EXPECT_EQ(pruef_text(c), "") << c;
}

}  // namespace
}  // namespace fibu
