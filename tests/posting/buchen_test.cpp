// The posting engine on a small client: tax split and tax accounts, intra-EU
// acquisitions, collective accounts and open items, overwriting and deleting,
// period activation, document numbers, the booking-file views and modes, and
// a failed write that leaves nothing behind.
#include "posting/buchen.h"

#include <gtest/gtest.h>

#include "posting/steuer.h"
#include "suite/numkeys.h"
#include "suite/test_dateisystem.h"
#include "testbuchhaltung.h"

namespace fibu {
namespace {

using B = BuchungFelder;
using S = SachFelder;
using P = PersonenFelder;
using O = OpstammFelder;

class Buchen : public ::testing::Test {
 protected:
  void SetUp() override { t.anlegen(); }

  // Every account and item as a comparable text.
  std::string bestaende() {
    std::string aus;
    for (const auto& k : test_sachkonten) aus += t.sachkonto(k.nummer).bytes();
    for (const auto& p : test_personenkonten) aus += t.personenkonto(p[0]).bytes();
    std::string key;
    t.m->opstamm->datei().ClearKey(1);
    std::uint32_t ref;
    while (t.m->opstamm->datei().NextNetKey(1, ref, key)) aus += key + t.op(key)->bytes();
    return aus;
  }
  Betrag saldo(int konto) { return t.sachkonto(konto).get(S::Saldo); }

  TestDateisystem fs;
  Testbuchhaltung t{fs};
};

TEST(Steuer, RoundsToTheNearestCentWithTiesToEven) {
  EXPECT_EQ(steuer_netto(10000, 1600), 8621);
  EXPECT_EQ(steuer_aus_brutto(10000, 1600), 1379);
  EXPECT_EQ(steuer_netto(11600, 1600), 10000);
  EXPECT_EQ(steuer_aus_brutto(11600, 1600), 1600);
  EXPECT_EQ(steuer_aus_brutto(10700, 700), 700);
  EXPECT_EQ(steuer_aus_brutto(-10000, 1600), -1379);
  EXPECT_EQ(steuer_aus_netto(100000, 1600), 16000);
  EXPECT_EQ(steuer_aus_netto(25, 1000), 2);  // 2.5 -> 2
  EXPECT_EQ(steuer_aus_netto(35, 1000), 4);  // 3.5 -> 4
  EXPECT_EQ(steuer_aus_netto(-25, 1000), -2);
  EXPECT_EQ(steuer_aus_brutto(10000, 0), 0);
}

TEST_F(Buchen, GrossAmountIsSplitIntoNetAndTaxOnTheTaxAccount) {
  t.buchung("4400", 'H', 10000, "1200", "1");
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  const Satz& b = t.m->buchung->satz();
  EXPECT_EQ(b.get(B::Betrag), 8621);
  EXPECT_EQ(b.get(B::Steuerbetrag), 1379);
  EXPECT_EQ(b.get(B::Steuersatz), 1600);
  EXPECT_EQ(b.get(B::GebuchteSteuer), -1379);
  EXPECT_EQ(b.get(B::Index), 1);
  EXPECT_EQ(b.get(B::Datum2), b.get(B::Datum));
  EXPECT_EQ(b.get(B::Steuerkontofeld), "1776");

  Satz erloese = t.sachkonto(4400);
  EXPECT_EQ(erloese.get(S::haben(1)), 8621);
  EXPECT_EQ(erloese.get(S::Saldo), -8621);
  EXPECT_TRUE(erloese.get(S::Bebucht));
  Satz ust = t.sachkonto(1776);
  EXPECT_EQ(ust.get(S::haben(1)), 1379);
  EXPECT_EQ(ust.get(S::Saldo), -1379);
  EXPECT_EQ(saldo(1200), 0) << "the counter-account is not posted by this line";

  // A debit line keeps its posted tax positive; a tax account of kind 0
  // receives nothing.
  t.buchung("3400", 'S', 11600, "1200", "9");
  ASSERT_TRUE(t.kern->buchung_schreiben(2));
  EXPECT_EQ(t.m->buchung->satz().get(B::GebuchteSteuer), 1600);
  EXPECT_EQ(t.sachkonto(1576).get(S::soll(1)), 1600);
  t.buchung("3400", 'S', 11600, "1200", "30");
  ASSERT_TRUE(t.kern->buchung_schreiben(3));
  EXPECT_EQ(t.sachkonto(1999).get(S::Saldo), 0);
  EXPECT_FALSE(t.sachkonto(1999).get(S::Bebucht));
  EXPECT_EQ(t.sachkonto(3400).get(S::soll(1)), 20000);

  // What was written is what is read back.
  ASSERT_TRUE(t.m->buchung->buchung_lesen(1));
  EXPECT_EQ(t.m->buchung->satz().get(B::Betrag), 8621);
}

TEST_F(Buchen, IntraEuAcquisitionBooksOutputAndInputVatAndCarriesNoTax) {
  t.buchung("3425", 'S', 100000, "1200", "1");  // the key of the line is not used
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  EXPECT_EQ(t.sachkonto(3425).get(S::soll(1)), 100000);
  EXPECT_EQ(t.sachkonto(1774).get(S::haben(1)), 16000);
  EXPECT_EQ(t.sachkonto(1574).get(S::soll(1)), 16000);
  EXPECT_EQ(saldo(1776), 0);
  const Satz& b = t.m->buchung->satz();
  EXPECT_EQ(b.get(B::Betrag), 100000);
  EXPECT_EQ(b.get(B::Steuerbetrag), 0);
  EXPECT_EQ(b.u8(B::SollHaben), 'S');

  // Deleting it takes both taxes back.
  t.m->buchung->satz().leeren();
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  EXPECT_EQ(saldo(3425), 0);
  EXPECT_EQ(saldo(1774), 0);
  EXPECT_EQ(saldo(1574), 0);
}

TEST_F(Buchen, PersonalAccountsPostTheirCollectiveAccountAndOpenItems) {
  t.buchung("10002", 'S', 11900, "4400", "", 'R', "R100");
  ASSERT_TRUE(t.kern->buchen(1));
  EXPECT_EQ(t.personenkonto(10002).get(P::soll(1)), 11900);
  EXPECT_TRUE(t.personenkonto(10002).get(P::Bebucht));
  EXPECT_EQ(saldo(1410), 11900) << "collective account 2 of the Debitoren";
  EXPECT_EQ(saldo(1400), 0);
  auto op = t.op("DR100");
  ASSERT_TRUE(op);
  EXPECT_EQ(op->get(O::Betrag), 11900);
  EXPECT_EQ(op->get(O::NochOffen), 11900);
  EXPECT_TRUE(op->get(O::Rechnung));
  EXPECT_EQ(op->u8(O::Kennung), 'D');
  EXPECT_EQ(op->get(O::Kontonummer), "10002");
  EXPECT_EQ(op->get(O::Suchname), "SUCH10002");
  EXPECT_EQ(op->get(O::Rechnungsdatum), DMYtoDate(15, 1, 2024));
  EXPECT_EQ(op->get(O::Faelligkeitsdatum), DMYtoDate(14, 2, 2024));
  EXPECT_EQ(op->get(O::Skontodatum), DMYtoDate(25, 1, 2024));
  EXPECT_EQ(op->get(O::Skontoprozent), 2000);
  EXPECT_EQ(op->get(O::Gegenkonto), "4400");

  // A second line of the same document adds to the item; the check alone refuses it.
  t.buchung("10002", 'S', 100, "4400", "", 'R', "R100");
  EXPECT_EQ(t.kern->buchung_pruefen(t.m->buchung->satz(), false), 6);
  ASSERT_TRUE(t.kern->buchen(2));
  EXPECT_EQ(t.op("DR100")->get(O::Betrag), 12000);
  EXPECT_EQ(t.m->opstamm->anzahl_keys(1), 1u);

  // A payment settles it; deleting the payment opens it again.
  t.buchung("10002", 'H', 12000, "1200", "", 'Z', "R100");
  ASSERT_EQ(t.kern->buchung_pruefen(t.m->buchung->satz(), false), 0);
  ASSERT_TRUE(t.kern->buchen(3));
  EXPECT_EQ(t.op("DR100")->get(O::NochOffen), 0);
  EXPECT_EQ(t.op("DR100")->get(O::Betrag), 12000);
  EXPECT_EQ(saldo(1410), 0);
  t.m->buchung->satz().leeren();
  ASSERT_TRUE(t.kern->buchen(3));
  EXPECT_EQ(t.op("DR100")->get(O::NochOffen), 12000);
  EXPECT_EQ(t.personenkonto(10002).get(P::Saldo), 12000);

  // A supplier credit note opens a "K" item of kind credit note.
  t.buchung("70001", 'S', 5000, "3400", "", 'G', "G7");
  ASSERT_TRUE(t.kern->buchen(4));
  EXPECT_FALSE(t.op("KG7")->get(O::Rechnung));
  EXPECT_EQ(t.op("KG7")->get(O::Faelligkeitsdatum), DMYtoDate(14, 2, 2024));
  EXPECT_EQ(saldo(1600), 5000);
}

TEST_F(Buchen, OverwritingTakesTheOldBookingBackFirst) {
  t.buchung("4400", 'H', 11600, "1200", "1");
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  t.buchung("10001", 'S', 11600, "4400", "", 'R', "R1");
  ASSERT_TRUE(t.kern->buchen(2));
  const std::string vorher = bestaende();
  std::string da1;
  ASSERT_TRUE(fs.lies_datei(t.m->daten_verzeichnis() + "BUCHUNG.DA1", da1).ok());

  // The same input again changes nothing.
  t.buchung("4400", 'H', 11600, "1200", "1");
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  t.buchung("10001", 'S', 11600, "4400", "", 'R', "R1");
  ASSERT_TRUE(t.kern->buchen(2));
  EXPECT_TRUE(bestaende() == vorher);
  std::string da1_nachher;
  ASSERT_TRUE(fs.lies_datei(t.m->daten_verzeichnis() + "BUCHUNG.DA1", da1_nachher).ok());
  EXPECT_TRUE(da1_nachher == da1);

  // A changed line moves its effects.
  t.buchung("3400", 'S', 10700, "1200", "2");
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  EXPECT_EQ(saldo(4400), 0);
  EXPECT_EQ(saldo(1776), 0);
  EXPECT_EQ(saldo(3400), 10000);
  EXPECT_EQ(saldo(1771), 700);
  EXPECT_FALSE(t.m->buchung->key_vorhanden(2, LongToKey(4400)));
  EXPECT_TRUE(t.m->buchung->key_vorhanden(2, LongToKey(3400)));

  // Deleting the invoice line leaves its item empty (the screen deletes it).
  t.m->buchung->satz().leeren();
  ASSERT_TRUE(t.kern->buchung_schreiben(2));
  EXPECT_EQ(t.op("DR1")->get(O::Betrag), 0);
  EXPECT_EQ(t.op("DR1")->get(O::NochOffen), 0);
  EXPECT_EQ(saldo(1400), 0);
  EXPECT_EQ(t.m->buchung->letzte_buchung(), 1);
  EXPECT_TRUE(t.m->buchung->key_vorhanden(1, LongToKey(2)));
}

TEST_F(Buchen, DeletingALineKeepsAnItemThatStillHoldsOthers) {
  // An item of two lines (100.00 and 50.00) and a payment of 30.00.
  t.buchung("10001", 'S', 10000, "4400", "", 'R', "R1");
  ASSERT_TRUE(t.kern->buchen(1));
  t.buchung("10001", 'S', 5000, "4400", "", 'R', "R1");
  ASSERT_TRUE(t.kern->buchen(2));
  t.buchung("10001", 'H', 3000, "1200", "", 'Z', "R1");
  ASSERT_TRUE(t.kern->buchen(3));
  ASSERT_EQ(t.op("DR1")->get(O::Betrag), 15000);

  ASSERT_TRUE(t.kern->buchung_loeschen(2));
  ASSERT_TRUE(t.op("DR1"));
  EXPECT_EQ(t.op("DR1")->get(O::Betrag), 10000);
  EXPECT_EQ(t.op("DR1")->get(O::NochOffen), 7000);
  EXPECT_TRUE(t.m->buchung->satz_ist_leer(t.m->buchung->satz()));
  // The payment goes back onto the item; the last line empties it and
  // the item goes.
  ASSERT_TRUE(t.kern->buchung_loeschen(3));
  EXPECT_EQ(t.op("DR1")->get(O::NochOffen), 10000);
  ASSERT_TRUE(t.kern->buchung_loeschen(1));
  EXPECT_FALSE(t.op("DR1"));
  EXPECT_EQ(saldo(1400), 0);
  EXPECT_EQ(t.m->buchung->letzte_buchung(), 0);
  // A number beyond the bookings cannot be deleted.
  EXPECT_FALSE(t.kern->buchung_loeschen(9));

  // Lines that cancel out still make an item: an invoice of 100.00 and 50.00
  // with a credit of 50.00 under one number (as an import may leave it)
  // keeps its item when the 100.00 line goes, at 0.
  for (auto [sh, betrag, art] :
       {std::tuple{'S', 10000, 'R'}, std::tuple{'S', 5000, 'R'}, std::tuple{'H', 5000, 'G'}}) {
    t.buchung("10002", sh, betrag, "4400", "", art, "R2");
    ASSERT_TRUE(t.kern->buchen(t.m->buchung->letzte_buchung() + 1));
  }
  const std::int64_t erste = t.m->buchung->letzte_buchung() - 2;
  ASSERT_TRUE(t.kern->buchung_loeschen(erste));
  ASSERT_TRUE(t.op("DR2"));
  EXPECT_EQ(t.op("DR2")->get(O::Betrag), 0);
  ASSERT_TRUE(t.kern->buchung_loeschen(erste + 1));
  ASSERT_TRUE(t.kern->buchung_loeschen(erste + 2));
  EXPECT_FALSE(t.op("DR2"));

  // A payment keeps the item whose only line goes: it holds the payment.
  t.buchung("10001", 'S', 10000, "4400", "", 'R', "R3");
  const std::int64_t r3 = t.m->buchung->letzte_buchung() + 1;
  ASSERT_TRUE(t.kern->buchen(r3));
  t.buchung("10001", 'H', 3000, "1200", "", 'Z', "R3");
  ASSERT_TRUE(t.kern->buchen(r3 + 1));
  ASSERT_TRUE(t.kern->buchung_loeschen(r3));
  ASSERT_TRUE(t.op("DR3"));
  EXPECT_EQ(t.op("DR3")->get(O::Betrag), 0);
  EXPECT_EQ(t.op("DR3")->get(O::NochOffen), -3000);
}

TEST_F(Buchen, PeriodsOpeningBookingsAndTheActivePeriod) {
  for (int p : {0, 13}) {
    t.buchung("3400", 'S', 11600, "1200", "9", ' ', "", p);
    ASSERT_TRUE(t.kern->buchung_schreiben(t.m->buchung->anzahl_buchungen() + 1));
  }
  EXPECT_EQ(t.m->buchung->anzahl_buchungen(), 2);
  EXPECT_EQ(saldo(3400), 0);
  EXPECT_EQ(saldo(1576), 0);

  t.buchung("3400", 'S', 50000, "9000", "", 'E', "", 3);
  ASSERT_TRUE(t.kern->buchung_schreiben(3));
  t.buchung("70001", 'H', 2500, "9000", "", 'E', "E1", 3);
  ASSERT_TRUE(t.kern->buchen(4));
  Satz k = t.sachkonto(3400);
  EXPECT_EQ(k.get(S::Eroeffnungssaldo), 50000);
  EXPECT_EQ(k.get(S::Saldo), 50000);
  for (int p = 1; p <= 12; ++p) EXPECT_EQ(k.get(S::soll(p)) + k.get(S::haben(p)), 0);
  EXPECT_EQ(t.personenkonto(70001).get(P::Eroeffnungssaldo), -2500);
  EXPECT_EQ(t.sachkonto(1600).get(S::Eroeffnungssaldo), -2500);
  EXPECT_EQ(t.op("KE1")->get(O::NochOffen), -2500);
  EXPECT_TRUE(t.op("KE1")->get(O::Rechnung));

  // An opening booking keeps a second date already there.
  t.buchung("3400", 'S', 100, "9000", "", 'E', "", 3);
  t.m->buchung->satz().set(B::Datum2, DMYtoDate(1, 1, 2024));
  ASSERT_TRUE(t.kern->buchung_schreiben(5));
  EXPECT_EQ(t.m->buchung->satz().get(B::Datum2), DMYtoDate(1, 1, 2024));

  // Only periods 3 was written into became active, saved at once.
  EXPECT_EQ(t.m->basis.get(BasisFelder::periode_status(3)), 1);
  EXPECT_EQ(t.m->basis.get(BasisFelder::periode_status(1)), 0);
  std::string basis;
  ASSERT_TRUE(fs.lies_datei(t.m->daten_verzeichnis() + "BASIS.PAR", basis));
  EXPECT_EQ(Satz(BasisFelder::groesse, basis).get(BasisFelder::periode_status(3)), 1);
  EXPECT_TRUE(fs.existiert(t.m->daten_verzeichnis() + "BASIS.SIK"));
}

TEST_F(Buchen, WritingBeyondTheEndAppendsBlankBookingsDatedToday) {
  t.buchung("3400", 'S', 100, "1200");
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  t.buchung("3400", 'S', 100, "1200");
  ASSERT_TRUE(t.kern->buchung_schreiben(2));
  t.buchung("3400", 'S', 100, "1200");
  ASSERT_TRUE(t.kern->buchung_schreiben(5));
  auto& bu = *t.m->buchung;
  EXPECT_EQ(bu.anzahl_buchungen(), 5);
  for (int n : {3, 4}) {
    Satz s(B::groesse);
    ASSERT_TRUE(bu.buchung_lesen_in(n, s));
    EXPECT_TRUE(bu.satz_ist_leer(s));
    EXPECT_EQ(s.get(B::Datum), t.heute.Today());
    EXPECT_EQ(s.get(B::Index), n);
    EXPECT_TRUE(bu.key_vorhanden(1, LongToKey(n)));
  }
  EXPECT_EQ(bu.letzte_buchung(), 5);
  EXPECT_EQ(saldo(3400), 300);
  EXPECT_FALSE(t.kern->buchung_schreiben(0));
}

TEST_F(Buchen, LastDocumentNumbersRiseByKindOfBooking) {
  using BF = BasisFelder;
  t.buchung("3400", 'S', 100, "1200", "", ' ', "000123");
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  EXPECT_EQ(t.m->basis.get(BF::belegnummer(2)), "123");
  t.buchung("3400", 'S', 100, "1200", "", ' ', "99");
  ASSERT_TRUE(t.kern->buchung_schreiben(2));
  EXPECT_EQ(t.m->basis.get(BF::belegnummer(2)), "123") << "never lowered";
  t.buchung("3400", 'S', 100, "10001", "", ' ', "500");
  ASSERT_TRUE(t.kern->buchung_schreiben(3));
  EXPECT_EQ(t.m->basis.get(BF::belegnummer(2)), "123") << "GL against a personal account";
  t.buchung("10001", 'S', 100, "4400", "", 'R', "9500123");
  ASSERT_TRUE(t.kern->buchen(4));
  EXPECT_EQ(t.m->basis.get(BF::belegnummer(5)), "9500123");
  t.buchung("70001", 'H', 100, "3400", "", 'R', "500001");
  ASSERT_TRUE(t.kern->buchen(5));
  EXPECT_EQ(t.m->basis.get(BF::belegnummer(8)), "500001");
  t.buchung("70001", 'H', 100, "3400", "", 'R', "R-7");
  ASSERT_TRUE(t.kern->buchen(6));
  EXPECT_EQ(t.m->basis.get(BF::belegnummer(8)), "500001") << "not a number";

  // They are on disk with their booking.
  t.schliessen();
  TestInteraktion ui;
  t.oeffnen();
  EXPECT_EQ(t.m->basis.get(BF::belegnummer(5)), "9500123");
}

TEST_F(Buchen, BalanceOnlyModeAndOpenBookingsView) {
  t.buchung("3400", 'S', 100, "1200");
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  auto& bu = *t.m->buchung;
  bu.nur_salden = true;
  t.buchung("3400", 'S', 100, "1200");
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  EXPECT_EQ(saldo(3400), 200) << "no undo, the effects are applied once more";
  EXPECT_EQ(bu.anzahl_buchungen(), 1);
  t.buchung("3400", 'S', 100, "1200", "", ' ', "", 5);
  ASSERT_TRUE(t.kern->buchung_schreiben(7));
  EXPECT_EQ(bu.anzahl_buchungen(), 1);
  EXPECT_EQ(t.m->basis.get(BasisFelder::periode_status(5)), 0);

  bu.nur_salden = false;
  bu.offene_sicht = true;
  t.m->archivanzahl = 1;
  t.buchung("1000", 'S', 100, "1200");
  ASSERT_TRUE(t.kern->buchung_schreiben(1));
  EXPECT_EQ(bu.anzahl_buchungen(), 1);
  bu.offene_sicht = false;
  EXPECT_EQ(bu.anzahl_buchungen(), 2);
  ASSERT_TRUE(bu.buchung_lesen(2));
  EXPECT_EQ(bu.satz().get(B::Konto), "1000");
  EXPECT_EQ(bu.satz().get(B::Index), 2);

  bu.offene_sicht = bu.nur_salden = true;
  bu.schliessen();
  bu.oeffnen();
  EXPECT_FALSE(bu.offene_sicht);
  EXPECT_FALSE(bu.nur_salden);
}

// Held accounts reach the files only when written back, and then exactly
// as the same postings leave them without holding: tax, collective
// accounts, intra-EU acquisition, items and payments.
TEST_F(Buchen, HeldAccountsAreWrittenBackAsPostedDirectly) {
  TestDateisystem fs2;
  Testbuchhaltung direkt{fs2};
  direkt.anlegen();
  auto buchen = [](Testbuchhaltung& b) {
    b.buchung("4400", 'H', 11900, "1200", "1");
    ASSERT_TRUE(b.kern->buchen(1));
    b.buchung("10002", 'S', 11900, "4400", "", 'R', "R100");
    ASSERT_TRUE(b.kern->buchen(2));
    b.buchung("10002", 'H', 5000, "1200", "", 'Z', "R100");
    ASSERT_TRUE(b.kern->buchen(3));
    b.buchung("70001", 'S', 5000, "3400", "", 'G', "G7");
    ASSERT_TRUE(b.kern->buchen(4));
    b.buchung("3425", 'S', 100000, "1200", "");
    ASSERT_TRUE(b.kern->buchen(5));
    b.buchung("4400", 'S', 11900, "1200", "1");
    ASSERT_TRUE(b.kern->buchen(6)) << "the same account twice in a row";
  };
  const std::string vorher = bestaende();
  t.kern->konten_halten();
  buchen(t);
  auto& s = *t.m->sach;
  ASSERT_TRUE(s.suchen("4400"));
  EXPECT_EQ(s.satz().get(S::Saldo), 0) << "not written back yet";
  EXPECT_EQ(t.personenkonto(10002).get(P::Saldo), 0);
  ASSERT_TRUE(t.kern->konten_ablegen());
  buchen(direkt);
  EXPECT_NE(bestaende(), vorher);
  std::string erwartet;
  for (const auto& k : test_sachkonten) erwartet += direkt.sachkonto(k.nummer).bytes();
  for (const auto& p : test_personenkonten) erwartet += direkt.personenkonto(p[0]).bytes();
  std::string gehalten;
  for (const auto& k : test_sachkonten) gehalten += t.sachkonto(k.nummer).bytes();
  for (const auto& p : test_personenkonten) gehalten += t.personenkonto(p[0]).bytes();
  EXPECT_EQ(gehalten, erwartet);
  EXPECT_EQ(t.op("DR100")->get(O::NochOffen), 6900);

  // Holding goes on: a further posting is written back once more.
  t.buchung("4400", 'H', 100, "1200");
  ASSERT_TRUE(t.kern->buchen(7));
  ASSERT_TRUE(t.kern->konten_ablegen());
  EXPECT_EQ(saldo(4400), direkt.sachkonto(4400).get(S::Saldo) - 100);
}

TEST_F(Buchen, AFailedWriteLeavesNothingOfTheBooking) {
  t.buchung("10001", 'S', 11900, "4400", "", 'R', "R1");
  ASSERT_TRUE(t.kern->buchen(1));
  const std::string vorher = bestaende();
  const Satz basis_vorher = t.m->basis;
  // The n-th write of the next booking fails, for every n. Before its
  // journal is on disk the booking fails as a whole; after that it counts
  // as done (the files are completed from the journal), and it is taken
  // out again for the next round.
  int fehlschlaege = 0;
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE(n);
    ASSERT_LT(n, 500u);
    t.buchung("10001", 'S', 500, "4400", "", 'R', "R2");
    std::uint64_t start = fs.schreibvorgaenge();
    fs.stoere(n, TestDateisystem::Stoerung::Fehler);
    bool ok = t.kern->buchen(2);
    fs.keine_stoerung();
    if (!ok) {
      ++fehlschlaege;
      EXPECT_TRUE(bestaende() == vorher);
      EXPECT_TRUE(t.m->basis == basis_vorher);
      EXPECT_EQ(t.m->buchung->letzte_buchung(), 1);
      EXPECT_EQ(t.m->buchung->satz().get(B::Betrag), 500) << "the input is kept for another try";
      continue;
    }
    EXPECT_EQ(t.op("DR2")->get(O::Betrag), 500);
    EXPECT_EQ(t.personenkonto(10001).get(P::Saldo), 12400);
    if (fs.schreibvorgaenge() - start < n) break;  // the failure was never reached
    t.m->buchung->satz().leeren();
    ASSERT_TRUE(t.kern->buchen(2));
    t.m->opstamm->loeschen("DR2");
    ASSERT_TRUE(bestaende() == vorher);
  }
  EXPECT_GE(fehlschlaege, 2);
}

TEST_F(Buchen, WorkingRecordsOfTheOtherFilesAreLeftAlone) {
  ASSERT_TRUE(t.m->sach->suchen("1200"));
  ASSERT_TRUE(t.m->personen->suchen("70002"));
  t.buchung("10001", 'S', 11900, "4400", "", 'R', "R1");
  ASSERT_TRUE(t.kern->buchen(1));
  EXPECT_EQ(t.m->sach->satz().get(S::Kontonummer), "1200");
  EXPECT_EQ(t.m->personen->satz().get(P::Kontonr), "70002");
}

}  // namespace
}  // namespace fibu
