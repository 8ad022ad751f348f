// The statement screen played like the user: rows typed cell by cell, the
// document number filling the row from its item, a refused row keeping
// the cursor, the keys of the screen, F6 posting the statement.
#include "banking/tfbankbuchung.h"

#include <gtest/gtest.h>

#include "auszugsbeispiele.h"
#include "bankbuchhaltung.h"

namespace fibu {
namespace {

struct Bildschirm : ::testing::Test, OpBuchhaltung {
  TFBankbuchung b{m()};
  Bildschirm() {
    rechnung("10001", "R100", 11000, tag(3));
    EXPECT_TRUE(b.konto_oeffnen("1200"));
    b.bank().datum_setzen(tag(15));
  }
  Zeilentippen tippe(const std::vector<std::string>& werte) {
    return raster_zeile_tippen(b, werte, TFBankbuchung::Soll);
  }
};

TEST_F(Bildschirm, ZeilenTippenUndBuchen) {
  EXPECT_EQ(b.zeile(), 1);
  // The document number fills account and amount from the item.
  EXPECT_EQ(tippe({"", "110,00", "R100", "~", "~", "", "", "~", "", "Zahlung"}),
            Zeilentippen::Geschrieben);
  const Bankzeile& z = b.bank().zeilen()[0];
  EXPECT_EQ(z.konto, "10001");
  EXPECT_EQ(z.betrag, 11000);
  EXPECT_EQ(z.tag, 15);
  EXPECT_EQ(b.zelle(1, TFBankbuchung::Betrag_), "110,00");
  // A fee to a GL account: "/" takes the statement amount.
  EXPECT_EQ(tippe({"5,00", "", "/", "~", "1000", "", "", "20", "", ""}), Zeilentippen::Geschrieben);
  EXPECT_EQ(b.bank().zeilen()[1].betrag, 500);
  EXPECT_EQ(b.statuszeile(), "Differenz: 0,00   Neuer Saldo: 105,00");

  // A row the checks refuse keeps the cursor in it.
  EXPECT_EQ(tippe({"", "1,00", "R999"}), Zeilentippen::Abgelehnt);
  EXPECT_EQ(t.ui.meldungen().back(), "OP zu der Belegnummer nicht gefunden!");
  EXPECT_EQ(b.zeile(), 3);
  EXPECT_EQ(b.taste(Taste::F10), Reaktion::Weiter);  // the row goes
  EXPECT_EQ(b.bank().benutzt(), 2u);

  const std::int64_t vorher = m().buchung->letzte_buchung();
  EXPECT_EQ(b.taste(Taste::F6), Reaktion::Weiter);
  EXPECT_EQ(m().buchung->letzte_buchung(), vorher + 4);
  EXPECT_EQ(b.bank().benutzt(), 0u);
  EXPECT_EQ(b.zeile(), 1);
  EXPECT_EQ(op("DR100").get(OpstammFelder::NochOffen), 0);
  EXPECT_EQ(b.taste(Taste::Esc), Reaktion::Speichern);
}

TEST_F(Bildschirm, TastenUndIhreMeldungen) {
  ASSERT_EQ(tippe({"", "", "/", "", "1000", "", "", "", "", ""}), Zeilentippen::Abgelehnt);
  EXPECT_EQ(t.ui.meldungen().back(), "Betrag darf nicht Null sein!");
  b.taste(Taste::F4);
  EXPECT_EQ(t.ui.meldungen().back(), "OP-Info zu Sachkonto nicht möglich!");
  b.taste(Taste::F11);
  EXPECT_EQ(t.ui.meldungen().back(), "Soll und Haben sind Null! Ein Aufteilen ist nicht möglich.");
  // F5 on a table with rows: refused before the import dialog.
  b.taste(Taste::F5);
  EXPECT_EQ(t.ui.meldungen().back(), "Tabelle ist nicht leer, bitte zuerst löschen!");
  t.ui.erwarte_frage("Wollen Sie wirklich alle Zeilen löschen?", true);
  b.taste(Taste::F8);
  EXPECT_EQ(b.bank().benutzt(), 0u);
  // F6 on a statement that does not balance: nothing is posted.
  ASSERT_EQ(tippe({"", "50,00", "R100", "~", "~", "", "", "", "", ""}), Zeilentippen::Geschrieben)
      << testing::PrintToString(t.ui.meldungen());
  b.taste(Taste::F6);
  EXPECT_EQ(t.ui.meldungen().back(), "Die Differenz ist nicht Null! Buchen ist nicht möglich.");
  EXPECT_EQ(b.zeile(), 1);
  EXPECT_EQ(b.bank().benutzt(), 1u);
  t.ui.alles_verbraucht();
}

// F5 runs the "BTX-Import" into the table: the same statement as MT940 and
// as camt.053 lands in the same rows, the customer's payment assigned to
// its item by the pattern and filled from it, the rent left to the user;
// the other party's name and IBAN stay with the row.
TEST_F(Bildschirm, F5ImportiertDieAuszugsdateiInDieTabelle) {
  rechnung("10001", "RE12345", 20000, tag(1));
  ASSERT_TRUE(fs.verzeichnis_anlegen("/bank"));
  ASSERT_TRUE(fs.schreibe_datei_atomar("/bank/AUSZUG.STA", mt940_beispiel));
  ASSERT_TRUE(fs.schreibe_datei_atomar("/bank/AUSZUG.XML", camt02_beispiel));
  const struct {
    const char* format;
    const char* datei;
    const char* meldung;
  } faelle[] = {
      {"STA-Format (Bank), Swift", "AUSZUG.STA",
       "Kontonummer: 10020030/1234567890\rAuszugsnummer: 00001/001"},
      {"CAMT.053 (XML)", "AUSZUG.XML", "Kontonummer: DE89100200301234567890\rAuszugsnummer: 1"}};
  for (const auto& f : faelle) {
    SCOPED_TRACE(f.datei);
    t.ui.formular_skript(
        {Formularschritt::tippe("Pfad", "/bank"), Formularschritt::tippe("Dateiname", f.datei),
         Formularschritt::tippe("Format", f.format), Formularschritt::tippe("#4", "RE?????"),
         Formularschritt::tippe("Haben-Buchungen", "Ja"),
         Formularschritt::tippe("Soll-Buchungen", "Ja"),
         Formularschritt::tippe("Datum von", "01.01.2024"),
         Formularschritt::tippe("Datum bis", "31.01.2024"), Formularschritt::druecke(Taste::Esc)});
    EXPECT_EQ(b.taste(Taste::F5), Reaktion::Weiter);
    EXPECT_EQ(t.ui.meldungen().back(), f.meldung);
    ASSERT_EQ(b.bank().benutzt(), 2u);
    EXPECT_EQ(b.zeile(), 1);
    const Bankzeile& ein = b.bank().zeilen()[0];
    EXPECT_EQ(ein.haben, 20000);
    EXPECT_EQ(ein.belegnr, "RE12345");
    EXPECT_EQ(ein.konto, "10001");
    EXPECT_EQ(ein.betrag, 20000);
    EXPECT_EQ(ein.tag, 2);
    EXPECT_EQ(ein.text_btx, "RE12345 Rechnung vom 15.12.2023");
    EXPECT_EQ(ein.name, "Muster GmbH");
    EXPECT_EQ(ein.iban, "DE02120300000000202051");
    const Bankzeile& aus = b.bank().zeilen()[1];
    EXPECT_EQ(aus.soll, 5000);
    EXPECT_EQ(aus.belegnr, "");
    EXPECT_EQ(aus.betrag, 0);
    EXPECT_EQ(b.bank().differenz(), 5000);
    // The rows are in the table file: a screen opened anew shows them.
    {
      TFBankbuchung wieder(m());
      ASSERT_TRUE(wieder.konto_oeffnen("1200"));
      EXPECT_EQ(wieder.bank().benutzt(), 2u);
      EXPECT_EQ(wieder.bank().zeilen()[0].konto, "10001");
      EXPECT_EQ(wieder.bank().zeilen()[0].iban, "DE02120300000000202051");
      EXPECT_EQ(wieder.bank().zeilen()[1].name, "Vermieter AG");
    }
    t.ui.erwarte_frage("Wollen Sie wirklich alle Zeilen löschen?", true);
    b.taste(Taste::F8);
  }
  t.ui.alles_verbraucht();
}

}  // namespace
}  // namespace fibu
