// The booking check on the small client of the posting tests: the protocol
// of consistent books, each kind of finding with its exact lines, the
// period under check against the bookings taken out, the copies that must
// be gone and switched back however the run ends, and the date and
// balance check.
#include "closing/buchungspruefung.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "../openitems/opbuchhaltung.h"

namespace fibu {
namespace {

using B = BasisFelder;
using S = SachFelder;

const Datum jan15 = DMYtoDate(15, 1, 2024), jan16 = DMYtoDate(16, 1, 2024),
            feb10 = DMYtoDate(10, 2, 2024);

const std::string datum_hinweis =
    "        Hinweis: Buchungen, die zu einem Buchungsvorgang gehören müssen das gleiche Datum "
    "haben.";

struct Buecher : OpBuchhaltung {
  // One line posted at the next number, checked first unless `ungeprueft`
  // (lines the entry paths refuse, which old data may hold all the same).
  std::int64_t zeile(const std::string& konto, char sh, Betrag betrag, const std::string& gegen,
                     const std::string& steuer, char art, const std::string& beleg, Datum datum,
                     bool ungeprueft = false) {
    int tag, monat, jahr;
    DateToDMY(datum, tag, monat, jahr);
    Satz& s = t.buchung(konto, sh, betrag, gegen, steuer, art, beleg, monat, datum);
    if (!ungeprueft) {
      const int code = t.kern->buchung_pruefen(s, false);
      EXPECT_EQ(code, 0) << pruef_text(code) << " (" << konto << " " << beleg << ")";
    }
    const std::int64_t n = m().buchung->letzte_buchung() + 1;
    EXPECT_TRUE(t.kern->buchen(n)) << konto << " " << beleg;
    return n;
  }
  // A customer's invoice with its revenue line at 16 %.
  void ausgangsrechnung(const std::string& kunde, const std::string& beleg, Betrag brutto,
                        Datum datum, bool ungeprueft = false) {
    zeile(kunde, 'S', brutto, "4400", "", 'R', beleg, datum, ungeprueft);
    zeile("4400", 'H', brutto, kunde, "1", 'R', beleg, datum);
  }
  // A supplier's invoice with its expense line and 16 % input VAT.
  void eingangsrechnung(const std::string& lieferant, const std::string& beleg, Betrag brutto,
                        Datum datum) {
    zeile(lieferant, 'H', brutto, "3400", "", 'R', beleg, datum);
    zeile("3400", 'S', brutto, lieferant, "9", 'R', beleg, datum);
  }
  // A customer's credit note and a payment from a customer into the bank.
  void gutschrift_an(const std::string& kunde, const std::string& beleg, Betrag brutto,
                     Datum datum) {
    zeile(kunde, 'H', brutto, "4400", "", 'G', beleg, datum);
    zeile("4400", 'S', brutto, kunde, "1", 'G', beleg, datum);
  }
  void zahlungseingang(const std::string& kunde, const std::string& beleg, Betrag betrag,
                       Datum datum, bool ungeprueft = false) {
    zeile(kunde, 'H', betrag, "1200", "", 'Z', beleg, datum, ungeprueft);
    zeile("1200", 'S', betrag, kunde, "", 'Z', beleg, datum);
  }
  // A GL-to-GL document: expense against the bank.
  void ausgabe(Betrag betrag, Datum datum, const std::string& bank = "1200") {
    zeile("3400", 'S', betrag, bank, "", ' ', "", datum);
    zeile(bank, 'H', betrag, "3400", "", ' ', "", datum);
  }

  // Several documents of every kind; the books agree with their items.
  void gemischte_buecher() {
    ausgangsrechnung("10001", "R1", 11600, jan15);
    ausgangsrechnung("10002", "R2", 5800, jan15);
    zahlungseingang("10001", "R1", 5000, jan16);
    gutschrift_an("10002", "G1", 1160, jan16);
    eingangsrechnung("70001", "E1", 23200, jan16);
    ausgabe(4711, feb10);
  }

  // The lines between "Beginn ..." and "Ende ..." of the last protocol.
  std::vector<std::string> befunde() const {
    const auto z = t.ui.druckauftraege().back().alle_zeilen();
    auto beginn = std::find(z.begin(), z.end(), "Beginn der Buchungsprüfung ...");
    auto ende = std::find(z.begin(), z.end(), "Ende der Buchungsprüfung!");
    EXPECT_NE(beginn, z.end());
    EXPECT_EQ(ende, z.end() - 1);
    if (beginn == z.end() || ende == z.end()) return z;
    return {beginn + 1, ende};
  }

  // Changes a stored GL account by hand.
  void sachkonto_aendern(int nummer, const std::function<void(Satz&)>& aendern) {
    ASSERT_TRUE(m().sach->suchen(m().sachkonto_text(nummer)));
    aendern(m().sach->satz());
    ASSERT_TRUE(m().sach->speichern(m().sachkonto_text(nummer)));
  }

  bool kopien_da() {
    for (const char* name : {"P_SACH", "P_PERS", "P_OP"})
      for (const char* ext : {".EAT", ".EIX"})
        if (fs.finde_datei(m().daten_verzeichnis(), std::string(name) + ext)) return true;
    return false;
  }

  // After any run the real files are in place again: a posting reaches them.
  void echte_dateien_gebucht() {
    EXPECT_EQ(m().sach->name(), "SACH");
    EXPECT_EQ(m().personen->name(), "PERSONEN");
    EXPECT_EQ(m().opstamm->name(), "OPSTAMM");
    EXPECT_FALSE(kopien_da());
    const Betrag vorher = t.sachkonto(3400).get(S::Saldo);
    ausgabe(100, feb10);
    EXPECT_EQ(t.sachkonto(3400).get(S::Saldo), vorher + 100);
  }
};

// --- Consistent books ---

TEST(Buchungspruefung, ConsistentBooksPrintOnlyTheFrameAndLeaveEverythingAsItWas) {
  Buecher b;
  b.gemischte_buecher();
  const std::string vorher = buchhaltungszustand(b.t);
  EXPECT_TRUE(buchungspruefung(b.m(), 0));
  const std::vector<std::string> erwartet = {
      std::string(79, '-'),
      "Mandant: 001             B u c h u n g s p r ü f u n g        Datum: 06.12.2024",
      "                                 Periode: 1-12",
      "Schreinerei Holz                                                 Blatt:       1",
      "Währung: Euro",
      std::string(79, '-'),
      "",
      "Beginn der Buchungsprüfung ...",
      "Ende der Buchungsprüfung!"};
  EXPECT_EQ(b.t.ui.druckauftraege().back().alle_zeilen(), erwartet);
  EXPECT_EQ(buchhaltungszustand(b.t), vorher) << "the check changes no real record";
  b.echte_dateien_gebucht();
}

TEST(Buchungspruefung, TheDialogChoosesThePeriodAndCancelsWithoutPrinting) {
  Buecher b;
  b.gemischte_buecher();
  b.t.ui.formular_skript(
      {Formularschritt::tippe("Periode", "2"), Formularschritt::druecke(Taste::Esc)});
  EXPECT_TRUE(buchungspruefung(b.m(), -1));
  EXPECT_EQ(b.t.ui.druckauftraege().back().alle_zeilen()[2],
            "                                  Periode: 2");

  const auto auftraege = b.t.ui.druckauftraege().size();
  b.t.ui.formular_skript({Formularschritt::klicke("&Abbruch")});
  EXPECT_FALSE(buchungspruefung(b.m(), -1));
  b.t.ui.drucker_ablehnen();
  EXPECT_FALSE(buchungspruefung(b.m(), 3));
  EXPECT_EQ(b.t.ui.druckauftraege().size(), auftraege);
  b.t.ui.alles_verbraucht();
  b.echte_dateien_gebucht();
}

TEST(Buchungspruefung, TheDialogStartsAtTheCurrentPeriodWithNotes) {
  Buecher b;
  b.m().basis.set(B::AktuellePeriode, std::uint8_t{4});
  TFBuchungspruefung d(b.m());
  EXPECT_EQ(d.form().titel(), "Selektion Buchungsprüfung");
  EXPECT_EQ(d.periode(), 4);
  EXPECT_TRUE(d.hinweise());
}

// --- Items and tax taken out the way the engine put them in ---

TEST(Buchungspruefung, InvoicesCreditNotesAndPaymentsEndWithEveryItemAtZero) {
  Buecher b;
  b.gemischte_buecher();
  b.zahlungseingang("10001", "R1", 6600, feb10);  // the rest of R1
  b.ausgangsrechnung("10001", "R3", 1000, feb10);
  b.zeile("10001", 'S', 500, "4400", "", 'R', "R3", feb10, true);  // a second line of R3
  b.zeile("4400", 'H', 500, "10001", "1", 'R', "R3", feb10);
  EXPECT_TRUE(buchungspruefung(b.m(), 0));
  // Two lines of one item are neighbours in the index and listed, nothing more.
  for (const auto& z : b.befunde()) EXPECT_EQ(z.find("Fehler"), std::string::npos) << z;
}

TEST(Buchungspruefung, AChangedTaxRateDoesNotBreakTheBookingsPostedBefore) {
  Buecher b;
  b.gemischte_buecher();  // 16 % on R1, R2, G1 and E1
  b.m().basis.set(B::steuersatz(1), std::int64_t{1900});
  b.m().basis.set(B::steuersatz(9), std::int64_t{1900});
  ASSERT_TRUE(b.m().schreibe_basis());
  b.ausgangsrechnung("10001", "R4", 11900, feb10);  // at 19 %
  EXPECT_TRUE(buchungspruefung(b.m(), 0));
  EXPECT_TRUE(b.befunde().empty());
}

TEST(Buchungspruefung, AStoredInvoiceStillMeetsTheChecksAfterItsItem) {
  Buecher b;
  b.ausgangsrechnung("10002", "R2", 5800, jan15);
  // The collective account of 10002 is taken out of the base data.
  b.m().basis.set(B::forderungskonto(2), std::int32_t{0});
  EXPECT_FALSE(buchungspruefung(b.m(), 0));
  const auto z = b.befunde();
  EXPECT_EQ(z.front(), "Debitoren");
  EXPECT_NE(std::find(z.begin(), z.end(),
                      "     1: Fehler: Forder-/Verbindlichkeits- oder Steuerkonto nicht gefunden!"),
            z.end());
}

// --- Findings ---

TEST(Buchungspruefung, AHandChangedAccountIsReported) {
  struct Fall {
    const char* name;
    std::function<void(Satz&)> aendern;
    std::vector<std::string> zeilen;
  };
  const std::vector<Fall> faelle = {
      {"credit total of the period",
       [](Satz& s) { s.set(S::haben(1), s.get(S::haben(1)) + 1); },
       {"Fehler: Saldo des Sachkontos 4400 ist falsch!"}},
      {"balance only",
       [](Satz& s) { s.set(S::Saldo, s.get(S::Saldo) - 1); },
       {"Fehler: Saldo des Sachkontos 4400 ist falsch!"}},
      {"opening balance",
       [](Satz& s) {
         s.set(S::Eroeffnungssaldo, Betrag{100});
         s.set(S::Saldo, s.get(S::Saldo) + 100);
       },
       {"Fehler: Eröffnungssaldo des Sachkontos 4400 ist falsch!",
        "Fehler: Saldo des Sachkontos 4400 ist falsch!"}},
  };
  for (const Fall& f : faelle) {
    SCOPED_TRACE(f.name);
    Buecher b;
    b.gemischte_buecher();
    b.sachkonto_aendern(4400, f.aendern);
    EXPECT_FALSE(buchungspruefung(b.m(), 0));
    EXPECT_EQ(b.befunde(), f.zeilen);
  }
}

TEST(Buchungspruefung, ADocumentWithTwoDatesIsReportedOnce) {
  Buecher b;
  b.ausgabe(100, jan15);
  b.zeile("3400", 'S', 300, "1200", "", ' ', "", jan15);
  b.zeile("1200", 'H', 100, "3400", "", ' ', "", jan16);
  b.zeile("1200", 'H', 200, "3400", "", ' ', "", DMYtoDate(17, 1, 2024));
  EXPECT_FALSE(buchungspruefung(b.m(), 0));
  EXPECT_EQ(b.befunde(),
            (std::vector<std::string>{
                "     4: Fehler: Datum stimmt nicht mit voriger Buchung überein!", datum_hinweis}));
}

TEST(Buchungspruefung, ADocumentOfMixedTypesIsReportedOnce) {
  Buecher b;
  b.zeile("3400", 'S', 300, "1200", "", ' ', "", jan15);
  b.zeile("1200", 'H', 100, "3400", "", 'E', "", jan15);
  b.zeile("1200", 'H', 200, "3400", "", 'E', "", jan15);
  EXPECT_FALSE(buchungspruefung(b.m(), 0));
  const auto z = b.befunde();
  ASSERT_GE(z.size(), 2u);
  EXPECT_EQ(z[0], "     2: Fehler: Art der Buchung stimmt nicht mit voriger Buchung überein!");
  EXPECT_EQ(z[1],
            "        Hinweis: Buchungen, die zu einem Buchungsvorgang gehören müssen die gleiche "
            "Buchungsart haben.");
}

const std::vector<std::string> saldenfehler_ab_3 = {
    "Soll und Haben stimmen nicht überein!",
    "Saldenfehler ab Zeile 3!",
    "Bitte drucken Sie ein Prüfjournal aus. Buchungen, die zu einem Buchungsvorgang gehören "
    "müssen",
    "untereinander stehen und sind durch Leerzeilen von anderen Buchungsvorgängen getrennt.",
    "Wenn jedoch sehr viele Buchungen ab einer Zeile als Block ausgegeben werden, dann ist dies",
    "der Bereich der Buchungen, in dem der Saldenfehler auftritt!"};

TEST(Buchungspruefung, AMissingThirdLineNamesTheRowAfterTheLastBalance) {
  Buecher b;
  b.ausgabe(100, jan15);
  b.zeile("3400", 'S', 300, "1200", "", ' ', "", jan15);
  b.zeile("1200", 'H', 100, "3400", "", ' ', "", jan15);
  EXPECT_FALSE(buchungspruefung(b.m(), 0));
  EXPECT_EQ(b.befunde(), saldenfehler_ab_3);

  // Rows count from the archive on.
  b.m().archivanzahl = 2;
  EXPECT_FALSE(buchungspruefung(b.m(), 0));
  EXPECT_EQ(b.befunde()[1], "Saldenfehler ab Zeile 1!");
}

TEST(Buchungspruefung, InvoicesEnteredTwiceAreListedAsNotes) {
  Buecher b;
  b.ausgangsrechnung("10001", "R7", 11600, jan15);
  b.ausgangsrechnung("10001", "R7", 11600, jan16, true);
  b.ausgangsrechnung("10002", "R8", 2320, jan15);
  b.ausgangsrechnung("10001", "R8", 1160, jan15, true);  // another customer: no duplicate
  EXPECT_TRUE(buchungspruefung(b.m(), 0));
  EXPECT_EQ(b.befunde(),
            (std::vector<std::string>{
                "Prüfen auf doppelte Rechnungen/Gutschriften:",
                "   Zeile  A    Konto  Belegnr    Datum           Betrag", std::string(55, '-'),
                "       3  R    10001       R7  16.01.2024        116,00",
                "       1  R    10001       R7  15.01.2024        116,00", ""}));
}

TEST(Buchungspruefung, TaxKeysAgainstTheKindsOfTheirAccounts) {
  Buecher b;
  // An input-VAT account with a key whose tax account is an output-VAT account.
  b.m().sach->leeren();
  b.m().sach->satz().set(S::Bezeichnung1, "Vorsteuer frei");
  b.m().sach->satz().set(S::Kontenart, std::uint8_t{4});
  ASSERT_TRUE(b.m().sach->speichern(b.m().sachkonto_text(1580)));
  b.zeile("1580", 'S', 116, "1200", "1", ' ', "", jan15);
  b.zeile("1200", 'H', 116, "1580", "", ' ', "", jan15);
  // Revenue with another key than its account's.
  b.zeile("1200", 'S', 107, "4400", "", ' ', "", jan15);
  b.zeile("4400", 'H', 107, "1200", "2", ' ', "", jan15);
  EXPECT_FALSE(buchungspruefung(b.m(), 0));
  EXPECT_EQ(b.befunde(),
            (std::vector<std::string>{
                "     1: Fehler: Kontenart des Steuerkontos 1776 ist nicht V!",
                "     4: Steuerschlüssel der Buchung entspricht nicht dem Steuerschlüssel des",
                "        Erlöskontos \"4400\", die Steueranmeldung kann Differenzen ausweisen!"}));
}

TEST(Buchungspruefung, NotesDoNotFailTheCheck) {
  Buecher b;
  b.ausgangsrechnung("10001", "R1", 11600, jan15);
  // A payment on another customer than its item's.
  b.zahlungseingang("10002", "R1", 1000, jan16);
  // A line on a tax account, which only old data hold.
  b.zeile("1776", 'S', 100, "1200", "", ' ', "", jan16, true);
  b.zeile("1200", 'H', 100, "1776", "", ' ', "", jan16, true);
  EXPECT_TRUE(buchungspruefung(b.m(), 0));
  EXPECT_EQ(b.befunde(), (std::vector<std::string>{
                             "     3: Fehler: Konto paßt nicht zu OP!",
                             "     5: Hinweis: Konto ist Steuerkonto und kann nicht direkt "
                             "bebucht werden!",
                             "     6: Hinweis: Konto ist Steuerkonto und kann nicht direkt "
                             "bebucht werden!"}));

  b.t.ui.formular_skript({Formularschritt::tippe("Periode", "0"),
                          Formularschritt::tippe("Hinweismeldung anzeigen", "nein"),
                          Formularschritt::druecke(Taste::Esc)});
  EXPECT_TRUE(buchungspruefung(b.m(), -1));
  EXPECT_EQ(b.befunde(), (std::vector<std::string>{"     3: Fehler: Konto paßt nicht zu OP!"}));
}

TEST(Buchungspruefung, APaymentWithoutItsItem) {
  Buecher b;
  b.zahlungseingang("10001", "X9", 1000, jan15, true);
  EXPECT_FALSE(buchungspruefung(b.m(), 0));
  // The collective account holds the payment, no item does.
  EXPECT_EQ(b.befunde(),
            (std::vector<std::string>{"Debitoren", "Summe der Forderungskonten       : -10,00",
                                      "Summe OP-Werte                   : 0,00",
                                      "     1: Fehler: OP nicht vorhanden!",
                                      "     1: Fehler: OP zu Belegnummer \"X9\" nicht gefunden!",
                                      "Die offenen OP-Beträge stimmen nicht mit den Saldi der "
                                      "Forderungs-/Verbindlichkeitskonten überein!"}));
}

TEST(Buchungspruefung, ACashAccountBelowZeroAtTheEndOfADay) {
  for (bool erst_einlage : {true, false}) {
    SCOPED_TRACE(erst_einlage);
    Buecher b;
    auto einlage = [&] {
      b.zeile("1000", 'S', 100, "1200", "", ' ', "", jan16);
      b.zeile("1200", 'H', 100, "1000", "", ' ', "", jan16);
    };
    if (erst_einlage) einlage();
    b.ausgabe(60, DMYtoDate(20, 1, 2024), "1000");
    if (!erst_einlage) {
      b.ausgabe(40, jan15, "1000");  // the same day as it goes below zero
      einlage();
    }
    EXPECT_TRUE(buchungspruefung(b.m(), 0));
    const auto z = b.befunde();
    if (erst_einlage)
      EXPECT_TRUE(z.empty());
    else
      EXPECT_EQ(z, (std::vector<std::string>{"Saldo des Kassenkontos 1000 ist an einem Tag "
                                             "kleiner Null! Bitte Kontoauszug einzeln drucken!"}));
  }
}

TEST(Buchungspruefung, APeriodChecksItsBookingsButTakesEveryBookingOut) {
  Buecher b;
  b.gemischte_buecher();  // January and February
  // A February document with two dates, and a hand-changed February total.
  b.zeile("3400", 'S', 100, "1200", "", ' ', "", feb10);
  b.zeile("1200", 'H', 100, "3400", "", ' ', "", DMYtoDate(11, 2, 2024));
  b.sachkonto_aendern(3400, [](Satz& s) { s.set(S::soll(2), s.get(S::soll(2)) + 1); });

  EXPECT_TRUE(buchungspruefung(b.m(), 1));
  EXPECT_TRUE(b.befunde().empty());
  EXPECT_FALSE(buchungspruefung(b.m(), 2));
  EXPECT_EQ(b.befunde(), (std::vector<std::string>{
                             "    14: Fehler: Datum stimmt nicht mit voriger Buchung überein!",
                             datum_hinweis, "Fehler: Saldo des Sachkontos 3400 ist falsch!"}));
}

TEST(Buchungspruefung, APeriodLooksAtItsOwnTotalsAndAtEveryItem) {
  Buecher b;
  b.gemischte_buecher();
  b.zahlungseingang("10002", "R2", 5800, feb10);  // a January item paid in February
  EXPECT_TRUE(buchungspruefung(b.m(), 1));
  EXPECT_TRUE(buchungspruefung(b.m(), 2));

  // A balance changed by hand, the totals left alone: the whole year's
  // check sees it, one period's check looks at that period's totals.
  b.sachkonto_aendern(4400, [](Satz& s) { s.set(S::Saldo, s.get(S::Saldo) - 1); });
  EXPECT_TRUE(buchungspruefung(b.m(), 2));
  EXPECT_FALSE(buchungspruefung(b.m(), 0));
  EXPECT_EQ(b.befunde(), (std::vector<std::string>{"Fehler: Saldo des Sachkontos 4400 ist falsch!"}));
  b.sachkonto_aendern(4400, [](Satz& s) { s.set(S::Saldo, s.get(S::Saldo) + 1); });

  // The January item changed by hand is found by February's check, which
  // takes every booking back out of the items.
  ASSERT_TRUE(b.m().opstamm->suchen("DR2"));
  b.m().opstamm->satz().set(OpstammFelder::Betrag, Betrag{5801});
  ASSERT_TRUE(b.m().opstamm->speichern("DR2"));
  EXPECT_FALSE(buchungspruefung(b.m(), 2));
  const auto befunde = b.befunde();
  EXPECT_NE(std::find(befunde.begin(), befunde.end(), "Fehler: Werte des OP DR2 sind falsch!"),
            befunde.end());
}

// --- However the run ends, the real files are back ---

TEST(Buchungspruefung, EscStopsTheRunWithFalseAndNothingPrinted) {
  Buecher b;
  b.gemischte_buecher();
  for (long aufruf : {1, 2, 3, 5}) {
    SCOPED_TRACE(aufruf);
    TestInteraktion& ui = b.t.ui;
    const auto auftraege = ui.druckauftraege().size();
    ui.esc_nach(aufruf);
    EXPECT_FALSE(buchungspruefung(b.m(), 0));
    ui.esc_nach(0);
    EXPECT_EQ(ui.druckauftraege().size(), auftraege);
    EXPECT_FALSE(ui.balken_offen());
    b.echte_dateien_gebucht();
  }
  EXPECT_TRUE(buchungspruefung(b.m(), 0));
}

// A user whose progress window fails at a chosen text, or at the n-th
// look for Esc.
class Stoerung : public TestInteraktion {
 public:
  explicit Stoerung(std::string text, long esc_aufruf = 0)
      : text_(std::move(text)), esc_aufruf_(esc_aufruf) {}
  void Balken_Text(const std::string& t) override {
    TestInteraktion::Balken_Text(t);
    if (t == text_) throw std::runtime_error("gestört");
  }
  bool EscPressed() override {
    if (++esc_aufrufe_ == esc_aufruf_) throw std::runtime_error("gestört");
    return false;
  }

 private:
  std::string text_;
  long esc_aufruf_, esc_aufrufe_ = 0;
};

TEST(Buchungspruefung, AnExceptionSwitchesBackToTheRealFiles) {
  Buecher b;
  b.gemischte_buecher();
  // Enough bookings that the run looks for Esc in the midst of posting
  // them into the copies (every 256 of them).
  for (int i = 0; i < 130; ++i) b.ausgabe(100 + i, feb10);
  b.t.schliessen();
  const std::pair<const char*, long> stoerungen[] = {
      {"Kopiere DB-OP", 0}, {"OP: DG1", 0}, {"Person: 10001", 0}, {"", 3}};
  for (const auto& [text, esc_aufruf] : stoerungen) {
    SCOPED_TRACE(text);
    SCOPED_TRACE(esc_aufruf);
    Stoerung ui(text, esc_aufruf);
    Netzwerk netz(b.fs, "/r", false);
    Mandant m(b.fs, ui, b.t.heute, test_wurzel, netz);
    ASSERT_TRUE(m.mandant_oeffnen(1, 2024, true));
    EXPECT_THROW(buchungspruefung(m, 0), std::runtime_error);
    EXPECT_EQ(m.sach->name(), "SACH");
    EXPECT_EQ(m.personen->name(), "PERSONEN");
    EXPECT_EQ(m.opstamm->name(), "OPSTAMM");
  }
  b.t.oeffnen();
  b.echte_dateien_gebucht();
  EXPECT_TRUE(buchungspruefung(b.m(), 0));
}

// --- The date and balance check ---

TEST(DatumSaldenpruefung, DatesAndTheRunningSumOfEveryBooking) {
  Buecher b;
  b.gemischte_buecher();
  EXPECT_TRUE(datum_saldenpruefung(b.m()));
  const auto z = b.t.ui.druckauftraege().back();
  EXPECT_EQ(z.hinweis, "Protokoll einer Buchungsprüfung für Datum und Saldenfehler.");
  EXPECT_EQ(z.alle_zeilen().size(), 8u) << "header, begin and end";
  EXPECT_EQ(z.alle_zeilen()[1],
            "Mandant: 001        Buchungsprüfung Datum und Saldenfehler    Datum: 06.12.2024");

  // Whatever the period and whatever the balances say: the bookings only.
  b.sachkonto_aendern(4400, [](Satz& s) { s.set(S::Saldo, Betrag{1}); });
  b.zeile("3400", 'S', 300, "1200", "", ' ', "", DMYtoDate(3, 7, 2024));
  b.zeile("1200", 'H', 100, "3400", "", ' ', "", DMYtoDate(4, 7, 2024));
  EXPECT_FALSE(datum_saldenpruefung(b.m()));
  std::vector<std::string> erwartet = {
      "    14: Fehler: Datum stimmt nicht mit voriger Buchung überein!", datum_hinweis};
  erwartet.insert(erwartet.end(), saldenfehler_ab_3.begin(), saldenfehler_ab_3.end());
  erwartet[3] = "Saldenfehler ab Zeile 13!";
  EXPECT_EQ(b.befunde(), erwartet);

  b.t.ui.esc_nach(1);
  EXPECT_FALSE(datum_saldenpruefung(b.m()));
}

}  // namespace
}  // namespace fibu
