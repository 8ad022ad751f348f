// The automatic write-off on small books: which items qualify (one
// payment, in time, within the thresholds), the list, the bookings it
// writes through the engine (side, date and period, tax of the discount
// account), the dialog's checks, and that a refused booking or a crash
// leaves none of the run's bookings.
#include "openitems/ausbuchung.h"

#include <gtest/gtest.h>

#include "openitems/offeneposten.h"
#include "opbuchhaltung.h"

namespace fibu {
namespace {

using O = OpstammFelder;
using F = BuchungFelder;

Datum tag(int t, int m) { return DMYtoDate(t, m, 2024); }

// The discount account 4730 (tax key 1, 16 %) beside the chart of the
// posting tests.
void skontokonto_anlegen(Testbuchhaltung& t) {
  t.m->sach->leeren();
  t.m->sach->satz().set(SachFelder::Bezeichnung1, "Gewährte Skonti");
  t.m->sach->satz().set(SachFelder::Steuerschluessel, std::uint8_t{1});
  t.m->sach->speichern(t.m->sachkonto_text(4730));
}

Ausbuchungseinstellungen einstellungen(bool kreditoren = false) {
  Ausbuchungseinstellungen e;
  e.kreditoren = kreditoren;
  e.skontokonto_debitoren = 4730;
  e.skontokonto_kreditoren = 4730;
  e.buchungsdatum = tag(20, 6);
  return e;
}

struct Ausbuchung : OpBuchhaltung {
  Ausbuchung() { skontokonto_anlegen(t); }
  // Invoice of `brutto` on 10.01. with 2 % for 10 days, one payment.
  void bezahlt(const std::string& beleg, Betrag brutto, Betrag gezahlt, Datum am,
               const std::string& konto = "10001") {
    rechnung(konto, beleg, brutto, tag(10, 1));
    zahlung(konto, beleg, gezahlt, am);
  }
  std::vector<std::string> belege_der_liste() {
    std::vector<std::string> belege;
    for (const auto& z : liste()) {
      if (z.rfind("Anzahl:", 0) == 0) break;
      if (!z.empty() && z[0] != ' ') belege.push_back(trim(z.substr(0, 12)));
    }
    return belege;
  }
};

TEST(Ausbuchung, WelcheOpInFrageKommen) {
  Ausbuchung a;
  a.bezahlt("1", 10000, 9800, tag(15, 1));  // 2.00 left = the allowed discount
  a.bezahlt("2", 10000, 9700, tag(15, 1));  // 3.00 left: 1.00 above it
  a.rechnung("10001", "3", 10000, tag(10, 1));  // two payments: never
  a.zahlung("10001", "3", 5000, tag(12, 1));
  a.zahlung("10001", "3", 4999, tag(13, 1));
  a.bezahlt("4", 10000, 10100, tag(15, 1));  // overpaid: never
  a.bezahlt("5", 10000, 9800, tag(25, 1));   // paid after the discount date
  a.rechnung("10001", "6", 10000, tag(10, 1));  // no payment: never
  a.bezahlt("7", 10000, 10000, tag(15, 1));     // settled
  a.bezahlt("K1", 10000, 9800, tag(15, 1), "70001");  // a supplier's item

  Ausbuchungseinstellungen e = einstellungen();
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), e, false));
  EXPECT_EQ(a.belege_der_liste(), (std::vector<std::string>{"1", "5"}));
  e.nur_fristgerecht = true;
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), e, false));
  EXPECT_EQ(a.belege_der_liste(), (std::vector<std::string>{"1"}));
  // The absolute threshold allows 1.00 above the discount.
  e.nur_fristgerecht = false;
  e.schwelle_betrag = 100;
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), e, false));
  EXPECT_EQ(a.belege_der_liste(), (std::vector<std::string>{"1", "2", "5"}));
  // Both thresholds set: both must hold (3 % of the invoice is above 2.5 %).
  e.schwelle_prozent = 250;
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), e, false));
  EXPECT_EQ(a.belege_der_liste(), (std::vector<std::string>{"1", "5"}));
  // The percentage alone: up to 3 % of the invoice.
  e.schwelle_betrag = 0;
  e.schwelle_prozent = 300;
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), e, false));
  EXPECT_EQ(a.belege_der_liste(), (std::vector<std::string>{"1", "2", "5"}));
  // The suppliers' run sees only the supplier's item.
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), einstellungen(true), false));
  EXPECT_EQ(a.belege_der_liste(), (std::vector<std::string>{"K1"}));
  // The list run writes nothing.
  EXPECT_EQ(a.op("D1").get(O::NochOffen), 200);
}

TEST(Ausbuchung, ListeGolden) {
  Ausbuchung a;
  a.bezahlt("4711", 11600, 11368, tag(15, 1));
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), einstellungen(), false));
  const std::vector<std::string> erwartet = {
      std::string(100, '-'),
      "Mandant: 001     A u t o m a t i s c h e   A u s b u c h u n g   D e b i t o r e n "
      "Datum: 06.12.2024",
      "Schreinerei Holz                                                                      "
      "Blatt:       1",
      "Währung: Euro",
      std::string(100, '-'),
      "",
      "Belegnr      Datum    Name des Kunden                            Brutto-Betrag  "
      "Mahnstufe  Status",
      "",
      "4711         10.01.24 Kunde 10001                                       116,00          0  ",
      "             Zahlung                 : 15.01.24                        -113,68",
      "             Differenz               :                                    2,32",
      "             Skontotermin            : 20.01.2024",
      "",
      "Anzahl: 1                                                                 2,32",
  };
  EXPECT_EQ(a.t.ui.druckauftraege().back().alle_zeilen(), erwartet);
}

TEST(Ausbuchung, BuchungenGleichenDenOpAus) {
  Ausbuchung a;
  a.bezahlt("1", 11600, 11368, tag(15, 1));
  const Betrag forderungen = a.t.sachkonto(1400).get(SachFelder::Saldo);
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), einstellungen(), true));
  EXPECT_EQ(a.op("D1").get(O::NochOffen), 0);
  // Payment on the customer (credit) and its counter entry on the
  // discount account, whose tax key splits the 2.32 into 2.00 and 0.32.
  auto& bu = *a.m().buchung;
  const std::int64_t n = bu.letzte_buchung();
  Satz z(F::groesse), g(F::groesse);
  ASSERT_TRUE(bu.buchung_lesen_in(n - 1, z));
  ASSERT_TRUE(bu.buchung_lesen_in(n, g));
  EXPECT_EQ(buchungsart(z), 'Z');
  EXPECT_EQ(trim(z.get(F::Konto)), "10001");
  EXPECT_EQ(z.u8(F::SollHaben), 'H');
  EXPECT_EQ(z.get(F::Betrag), 232);
  EXPECT_EQ(trim(z.get(F::Gegenkonto)), "4730");
  EXPECT_EQ(z.get(F::Datum), tag(15, 1));
  EXPECT_EQ(z.get(F::Periode), 1);
  EXPECT_EQ(trim(g.get(F::Konto)), "4730");
  EXPECT_EQ(buchungsart(g), 'Z');  // the document's lines share its type
  EXPECT_EQ(g.u8(F::SollHaben), 'S');
  EXPECT_EQ(g.get(F::Betrag), 200);
  EXPECT_EQ(g.get(F::Steuerbetrag), 32);
  EXPECT_EQ(a.t.sachkonto(1400).get(SachFelder::Saldo), forderungen - 232);
  EXPECT_EQ(a.t.sachkonto(1776).get(SachFelder::Saldo), 32);
  EXPECT_EQ(a.liste()[1].substr(91), "gebucht");
  // A second run finds nothing left.
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), einstellungen(), true));
  EXPECT_EQ(bu.letzte_buchung(), n);
}

TEST(Ausbuchung, GeschlossenePeriodeNimmtDasDatumDesDialogs) {
  Ausbuchung a;
  a.bezahlt("1", 10000, 9800, tag(15, 1));
  a.m().basis.set(BasisFelder::periode_status(1), std::uint8_t{3});
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), einstellungen(), true));
  Satz z(F::groesse);
  ASSERT_TRUE(a.m().buchung->buchung_lesen_in(a.m().buchung->letzte_buchung(), z));
  EXPECT_EQ(z.get(F::Datum), tag(20, 6));
  EXPECT_EQ(z.get(F::Periode), 6);
  EXPECT_EQ(a.op("D1").get(O::NochOffen), 0);
}

TEST(Ausbuchung, SeiteFolgtDemOffenenBetrag) {
  // A credit note of 50.00 refunded with 52.00 leaves 2.00 due from the
  // customer: the write-off credits it, so nothing stays open.
  Ausbuchung a;
  a.gutschrift("10001", "G1", 5000, tag(10, 1));
  a.zahlung("10001", "G1", -5200, tag(12, 1));
  ASSERT_EQ(a.op("DG1").get(O::NochOffen), 200);
  Ausbuchungseinstellungen e = einstellungen();
  e.schwelle_betrag = 100;  // 2.00 is 1.00 above the 1.00 discount of 50.00
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), e, true));
  EXPECT_EQ(a.op("DG1").get(O::NochOffen), 0);
}

TEST(Ausbuchung, BetragNullWirdMitProtokollzeileUebersprungen) {
  // An invoice and a credit note under one number (as an import may leave
  // them) make a gross amount of 0; a payment of 2.00 leaves 2.00 open.
  Ausbuchung a;
  for (auto [art, sh] : {std::pair{'R', 'S'}, std::pair{'G', 'H'}}) {
    a.t.buchung("10001", sh, 10000, "4400", "", art, "9", 1, tag(10, 1));
    ASSERT_TRUE(a.t.kern->buchen(a.m().buchung->letzte_buchung() + 1));
  }
  a.zahlung("10001", "9", -200, tag(12, 1));
  Ausbuchungseinstellungen e = einstellungen();
  e.schwelle_prozent = 300;
  ASSERT_TRUE(ausbuchung_ausfuehren(a.m(), e, true));
  EXPECT_EQ(a.op("D9").get(O::NochOffen), 200);
  const auto z = a.liste();
  EXPECT_NE(std::find(z.begin(), z.end(), "Beleg 9 übersprungen: der Rechnungsbetrag ist 0."),
            z.end());
}

TEST(Ausbuchung, AbgelehnteGegenbuchungSchreibtNichts) {
  // With cost centres required the counter entry on the discount account
  // is refused (code 12): neither the first item's bookings nor any other
  // are written.
  Ausbuchung a;
  a.bezahlt("1", 10000, 9800, tag(15, 1));
  a.bezahlt("2", 10000, 9800, tag(15, 1));
  a.m().basis.set(BasisFelder::Kostenstellenzwang, std::uint16_t{1});
  const std::int64_t vorher = a.m().buchung->letzte_buchung();
  EXPECT_FALSE(ausbuchung_ausfuehren(a.m(), einstellungen(), true));
  EXPECT_EQ(a.m().buchung->letzte_buchung(), vorher);
  EXPECT_EQ(a.op("D1").get(O::NochOffen), 200);
  EXPECT_EQ(a.op("D2").get(O::NochOffen), 200);
  const auto z = a.liste();
  EXPECT_EQ(z[1].substr(91), "fehler : 12");
  EXPECT_NE(std::find(z.begin(), z.end(), "Beleg 1: " + pruef_text(12)), z.end());
  ASSERT_FALSE(a.t.ui.meldungen().empty());
  EXPECT_NE(a.t.ui.meldungen().back().find("keine Buchung"), std::string::npos);
}

TEST(Ausbuchung, DialogPrueftDatumPeriodeUndSkontokonto) {
  Ausbuchung a;
  Mandant& m = a.m();
  Ausbuchungseinstellungen e = einstellungen();
  EXPECT_EQ(ausbuchung_pruefen(m, e), "");
  e.buchungsdatum = DMYtoDate(2, 1, 2025);
  EXPECT_EQ(ausbuchung_pruefen(m, e), "Zahldatum liegt nicht in dem Geschäftsjahr!");
  e.buchungsdatum = tag(20, 6);
  m.basis.set(BasisFelder::periode_status(6), std::uint8_t{2});
  EXPECT_EQ(ausbuchung_pruefen(m, e), "Zahldatum liegt in einer abgeschlossenen Periode!");
  m.basis.set(BasisFelder::periode_status(6), std::uint8_t{1});
  e.skontokonto_debitoren = 4731;
  EXPECT_EQ(ausbuchung_pruefen(m, e), "Skonto-Konto Debitoren nicht gefunden!");
  e.kreditoren = true;
  e.skontokonto_kreditoren = 10001;  // a customer, not a GL account
  EXPECT_EQ(ausbuchung_pruefen(m, e), "Skonto-Konto Kreditoren nicht gefunden!");

  // Through the dialog: the settings are kept in the base data, the
  // question comes before the bookings.
  a.bezahlt("1", 10000, 9800, tag(15, 1));
  a.t.ui.formular_skript({Formularschritt::tippe("Skontokonto Debitoren", "4730"),
                          Formularschritt::tippe("Buchungsdatum (falls Periode abgeschl.)",
                                                 "20.06.2024"),
                          Formularschritt::tippe("Absoluter Schwellwert: (EURO)", "0,50"),
                          Formularschritt::druecke(Taste::Esc)});
  a.t.ui.erwarte_frage("Sollen die Zahlungs-Buchungen erzeugt werden?", false);
  EXPECT_FALSE(TFSkontoausgleich(m, true).ausfuehren());
  EXPECT_EQ(a.op("D1").get(O::NochOffen), 200);
  const Ausbuchungseinstellungen gelesen = ausbuchung_lesen(m.basis);
  EXPECT_EQ(gelesen.skontokonto_debitoren, 4730);
  EXPECT_EQ(gelesen.schwelle_betrag, 50);
  EXPECT_EQ(gelesen.buchungsdatum, tag(20, 6));
  a.t.ui.formular_skript({Formularschritt::druecke(Taste::Esc)});
  a.t.ui.erwarte_frage("Sollen die Zahlungs-Buchungen erzeugt werden?", true);
  EXPECT_TRUE(TFSkontoausgleich(m, true).ausfuehren());
  EXPECT_EQ(a.op("D1").get(O::NochOffen), 0);
  a.t.ui.alles_verbraucht();
}

TEST(Ausbuchung, AbsturzLaesstAllesOderNichts) {
  absturzfest_pruefen(
      [](Testbuchhaltung& t) {
        t.anlegen();
        skontokonto_anlegen(t);
        Opbuchungen b(t);
        for (const char* beleg : {"1", "2", "3"}) {
          b.rechnung("10001", beleg, 10000, tag(10, 1));
          b.zahlung("10001", beleg, 9800, tag(15, 1));
        }
      },
      [](Testbuchhaltung& t) { return ausbuchung_ausfuehren(*t.m, einstellungen(), true); });
}

}  // namespace
}  // namespace fibu
