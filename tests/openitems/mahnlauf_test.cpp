// Dunning letters printed in a batch on the small test client: the letter
// of a fixed book line for line (address, date, text with its deadline,
// items with their payments, interest, fee, sum), copies that print the
// same letters and raise the level once, a preview that changes nothing,
// and the mask's messages.
#include "openitems/mahnlauf.h"

#include <gtest/gtest.h>

#include "../posting/testbuchhaltung.h"
#include "masters/personenkonto.h"
#include "openitems/mahndaten.h"
#include "suite/codepage.h"

namespace fibu {
namespace {

using O = OpstammFelder;
using K = MahnkennEintrag;
using T = MahntextFelder;

// A mask of six lines: the address at column 0 of line 2, the date at
// column 50 of line 1, the item table in line 6.
const std::string maske =
    "Muster GmbH, Hauptstr. 1, 80331 München\r\n"
    "                                             Datum \x04\r\n"
    "\x01\r\n"
    "\r\n"
    "\r\n"
    "\x10\r\n"
    "Mit freundlichen Grüßen\r\n";

// The book of the tests: code 1, text 1, the mask, and one invoice of
// customer 10001 with a payment.
void einrichten(Testbuchhaltung& t) {
  {
    t.anlegen();
    Mandant& m = *t.m;
    Dateisystem& fs = m.fs();
    EXPECT_TRUE(fs.schreibe_datei_atomar(pfad_verbinden(m.daten_verzeichnis(), "MASKE.FIB"),
                                         von_utf8(maske, Codepage::CP1252)));
    Satz c(K::groesse);
    c.set(K::Bezeichnung, "Standard");
    c.set(K::tage(1), std::uint16_t{0});
    c.set(K::tage(2), std::uint16_t{14});
    c.set(K::textnummer(1), std::uint16_t{1});
    c.set(K::zinssatz(1), std::int64_t{1200});
    c.set(K::gebuehr(1), std::int64_t{500});
    c.set(K::Zahlungsziel, std::uint16_t{10});
    mahnkennziffer_setzen(m, 1, c);
    std::vector<Satz> texte = mahntexte_lesen(m);
    texte[0].set(T::vortext(0), "Sehr geehrte Damen und Herren,");
    texte[0].set(T::vortext(1), "folgende Rechnung ist noch offen:");
    texte[0].set(T::nachtext(0), "Bitte zahlen Sie bis »00.00.0000«.");
    EXPECT_TRUE(mahntexte_schreiben(m, texte));
    EXPECT_TRUE(m.personen->suchen(m.personenkonto_text(10001)));
    m.personen->satz().set(PersonenFelder::Mkz, std::uint8_t{1});
    m.personen->satz().set(PersonenFelder::Strasse, "Am Bach 2");
    m.personen->satz().set(PersonenFelder::PlzOrt, "85435 Erding");
    EXPECT_TRUE(m.personen->speichern(m.personenkonto_text(10001)));
    // An invoice of 1,000.00 due on 31.10.2024, 200.00 paid on 15.11.2024.
    std::int64_t n = 0;
    t.buchung("10001", 'S', 100000, "4400", "", 'R', "R1", 10, DMYtoDate(1, 10, 2024));
    t.m->buchung->satz().set(BuchungFelder::Faelligdatum, DMYtoDate(31, 10, 2024));
    EXPECT_TRUE(t.kern->buchen(++n));
    t.buchung("4400", 'H', 100000, "10001", "", 'R', "R1", 10, DMYtoDate(1, 10, 2024));
    EXPECT_TRUE(t.kern->buchen(++n));
    t.buchung("10001", 'H', 20000, "1200", "", 'Z', "R1", 11, DMYtoDate(15, 11, 2024));
    EXPECT_TRUE(t.kern->buchen(++n));
    t.buchung("1200", 'S', 20000, "10001", "", 'Z', "R1", 11, DMYtoDate(15, 11, 2024));
    EXPECT_TRUE(t.kern->buchen(++n));
  }
}

Mahndruck druck(int exemplare = 1) {
  Mahndruck d;
  d.auswahl.stichtag = DMYtoDate(6, 12, 2024);
  d.auswahl.konto_von = 10000;
  d.auswahl.konto_bis = 69999;
  d.exemplare = exemplare;
  d.briefkopf = {"Muster GmbH"};
  return d;
}

struct Mahnbuch {
  TestDateisystem fs;
  Testbuchhaltung t{fs};

  Mahnbuch() { einrichten(t); }

  Satz op() { return *t.op("DR1"); }
};

TEST(Mahnlauf, BriefZeileFuerZeile) {
  Mahnbuch b;
  ASSERT_EQ(b.op().get(O::Faelligkeitsdatum), DMYtoDate(31, 10, 2024));
  ASSERT_TRUE(mahnungen_drucken(*b.t.m, druck()));
  const auto zeilen = b.t.ui.druckauftraege().back().alle_zeilen();
  // Interest at 12.00 %: 1,000.00 for 36 days (9.86 × 36 / 30 = 11.84) less
  // 200.00 for the 21 days since it was paid (1.38).
  const std::vector<std::string> erwartet = {
      "Muster GmbH",
      "Muster GmbH, Hauptstr. 1, 80331 München",
      "                                             Datum 06.12.2024",
      "Kunde 10001",
      "Am Bach 2",
      "85435 Erding",
      "Sehr geehrte Damen und Herren,",
      "folgende Rechnung ist noch offen:",
      "",
      "Rechnungsnummer       Datum                 Betrag   Mahnstufe",
      "R R1                  01.10.2024          1.000,00           1",
      "  Zahlung am:         15.11.2024           -200,00",
      "Zinsen                                       10,46",
      "Mahngebühr                                    5,00",
      "--------------------------------------------------",
      "Summe der offenen Posten: 815,46 EURO",
      "",
      "Bitte zahlen Sie bis »16.12.2024«.",
      "Mit freundlichen Grüßen",
  };
  EXPECT_EQ(zeilen, erwartet);
  EXPECT_EQ(b.op().get(O::Mahnstufe), 1);
  EXPECT_EQ(b.op().get(O::Mahndatum), DMYtoDate(6, 12, 2024));
  // Level 2 wants 14 days since the letter: nothing is due today.
  ASSERT_TRUE(mahnungen_drucken(*b.t.m, druck()));
  EXPECT_EQ(b.t.ui.meldungen().back(), "Keine OP gefunden!");
  EXPECT_EQ(b.op().get(O::Mahnstufe), 1);
}

TEST(Mahnlauf, ExemplareHebenDieStufeEinmal) {
  Mahnbuch b;
  ASSERT_TRUE(mahnungen_drucken(*b.t.m, druck(2)));
  const auto& seiten = b.t.ui.druckauftraege().back().seiten;
  ASSERT_EQ(seiten.size(), 2u);  // the same letter twice, both at level 1
  EXPECT_EQ(seiten[0].zeilen, seiten[1].zeilen);
  EXPECT_EQ(b.op().get(O::Mahnstufe), 1);
}

TEST(Mahnlauf, VorschauUndMaskeAendernNichts) {
  Mahnbuch b;
  b.t.ui.druckziel(Druckziel::Vorschau);
  ASSERT_TRUE(mahnungen_drucken(*b.t.m, druck()));
  EXPECT_EQ(b.op().get(O::Mahnstufe), 0);
  b.t.ui.druckziel(Druckziel::Drucker);

  Mandant& m = *b.t.m;
  const std::string pfad = pfad_verbinden(m.daten_verzeichnis(), "MASKE.FIB");
  ASSERT_TRUE(b.fs.schreibe_datei_atomar(pfad, "\x01\r\n\x10\r\n"));  // no date
  EXPECT_FALSE(mahnungen_drucken(m, druck()));
  EXPECT_EQ(b.t.ui.meldungen().back(), "Steuerzeichen in Maske fehlt (Datum, Adresse, Poszeile)!");
  ASSERT_TRUE(b.fs.loeschen(pfad));
  EXPECT_FALSE(mahnungen_drucken(m, druck()));
  EXPECT_EQ(b.t.ui.meldungen().back(), "Keine Maske MASKE.FIB gefunden!");
  EXPECT_EQ(b.op().get(O::Mahnstufe), 0);
}

// With the suite's address directory: one customer-information entry per
// letter, and the address blocked once a letter goes above level 2.
TEST(Mahnlauf, KundeninformationUndAdresssperre) {
  Mahnbuch b;
  Mandant& m = *b.t.m;
  ASSERT_TRUE(b.fs.verzeichnis_anlegen("/adr"));
  ASSERT_TRUE(b.fs.schreibe_datei_atomar("/adr/ADRESSEN.TXT",
                                         "Kundennr|Anrede|Name|Titel|Stra\xDF"
                                         "e|PLZ/Ort|Telefon\r\n"
                                         "10001|Firma|Kunde 10001||Am Bach 2|85435 Erding|\r\n"
                                         "10002|Firma|Kunde 10002||||\r\n"));
  Mahndruck d = druck();
  d.adressverzeichnis = "/adr";
  ASSERT_TRUE(mahnungen_drucken(m, d));  // level 1: no block
  std::string adressen, kis;
  ASSERT_TRUE(b.fs.lies_datei("/adr/ADRESSEN.TXT", adressen));
  EXPECT_EQ(adressen.find("|J"), std::string::npos);
  // Raised by hand to level 2: the next letter is at level 3.
  ASSERT_TRUE(m.opstamm->suchen("DR1"));
  m.opstamm->satz().set(O::Mahnstufe, std::uint8_t{2});
  m.opstamm->satz().set(O::Mahndatum, DMYtoDate(1, 11, 2024));
  ASSERT_TRUE(m.opstamm->speichern("DR1"));
  ASSERT_TRUE(mahnungen_drucken(m, d));
  EXPECT_EQ(b.op().get(O::Mahnstufe), 3);
  ASSERT_TRUE(b.fs.lies_datei("/adr/ADRESSEN.TXT", adressen));
  EXPECT_NE(adressen.find("10001|Firma|Kunde 10001||Am Bach 2|85435 Erding||J\r\n"),
            std::string::npos)
      << adressen;
  EXPECT_NE(adressen.find("10002|Firma|Kunde 10002||||\r\n"), std::string::npos);
  ASSERT_TRUE(b.fs.lies_datei("/adr/KIS.TXT", kis));
  EXPECT_EQ(kis,
            "2|10001|06.12.2024|MAHNUNG|815,46\r\n"
            "2|10001|06.12.2024|MAHNUNG|800,00\r\n");  // level 3: no interest, no fee
  // The personal-account dialog still reads the address.
  std::vector<Adresse> liste;
  ASSERT_TRUE(adressen_lesen(b.fs, "/adr", liste));
  EXPECT_EQ(liste[0].plz_ort, "85435 Erding");
}

TEST(Mahnlauf, FrageJeOp) {
  Mahnbuch b;
  using F = Formularschritt;
  Mahndruck d = druck();
  d.abfrage = true;
  // No: no letter, nothing changes.
  b.t.ui.formular_skript({F::druecke(Taste::Esc)});
  ASSERT_TRUE(mahnungen_drucken(*b.t.m, d));
  EXPECT_EQ(b.t.ui.meldungen().back(), "Keine OP gefunden!");
  EXPECT_EQ(b.op().get(O::Mahnstufe), 0);
  // Yes: the item is dunned. The form shows it and lets nothing be changed.
  b.t.ui.formular_skript({F::tippe("Noch offen", "1,00", false), F::klicke("Ja")});
  ASSERT_TRUE(mahnungen_drucken(*b.t.m, d));
  EXPECT_EQ(b.op().get(O::Mahnstufe), 1);
  EXPECT_EQ(b.op().get(O::NochOffen), 80000);
}

TEST(Mahnlauf, EinzelnerOpOhneTageUndMindestbetrag) {
  Mahnbuch b;
  Mandant& m = *b.t.m;
  using F = Formularschritt;
  struct Fall {
    const char* beleg;
    const char* meldung;
  };
  // A settled item and an unknown number are refused with their messages.
  TFMahnEinzeln d(m, {"Muster GmbH"}, true);
  b.t.ui.formular_skript({F::tippe("Mahnen des OP", "R9"), F::druecke(Taste::Esc),
                          F::tippe("Mahnen des OP", "R1"),
                          F::tippe("Zahl der Druck-Exemplare", "1"), F::druecke(Taste::Esc)});
  ASSERT_TRUE(d.ausfuehren());
  EXPECT_EQ(b.t.ui.meldungen().front(), "OP nicht gefunden!");
  EXPECT_EQ(b.op().get(O::Mahnstufe), 1);
  // Again the same day: single dunning asks for no days.
  TFMahnEinzeln d2(m, {"Muster GmbH"}, true);
  b.t.ui.formular_skript({F::tippe("Mahnen des OP", "R1"), F::druecke(Taste::Esc)});
  ASSERT_TRUE(d2.ausfuehren());
  EXPECT_EQ(b.op().get(O::Mahnstufe), 2);
  // A blocked item is refused.
  ASSERT_TRUE(m.opstamm->suchen("DR1"));
  m.opstamm->satz().set(O::Mahnen, std::uint16_t{1});
  ASSERT_TRUE(m.opstamm->speichern("DR1"));
  TFMahnEinzeln d3(m, {"Muster GmbH"}, true);
  b.t.ui.formular_skript(
      {F::tippe("Mahnen des OP", "R1"), F::druecke(Taste::Esc), F::klicke("Abbruch")});
  EXPECT_FALSE(d3.ausfuehren());
  EXPECT_EQ(b.t.ui.meldungen().back(),
            "OP ist bereits ausgeglichen, OP bzw. Personenkonto gesperrt oder Mahnkennziffer "
            "ungültig!");
  EXPECT_EQ(b.op().get(O::Mahnstufe), 2);
}

TEST(Mahnlauf, VorschlagslisteMitMarken) {
  Mahnbuch b;
  Mandant& m = *b.t.m;
  TFMahnvorschlag v(m, druck());
  ASSERT_TRUE(v.drucken());
  const auto zeilen = b.t.ui.druckauftraege().back().alle_zeilen();
  // The whole list below the standard page header of the client.
  const auto kopf = seitenkopf_zeilen(seitenkopf(m, "Mahnvorschlagsliste", 79), 1);
  std::vector<std::string> erwartet(kopf.begin(), kopf.end());
  erwartet.push_back("Konto Belegnr    Fällig         Offen  MS Mahndatum");
  erwartet.push_back(std::string(79, '-'));
  erwartet.push_back("X 10001 R1        31.10.2024       800,00   0  ");
  EXPECT_EQ(zeilen, erwartet);
  using F = Formularschritt;
  // "OP-Stamm" opens the item maintenance on the item chosen from the list.
  b.t.ui.formular_skript({F::klicke("OP-Stamm"), F::druecke(Taste::Esc)});
  b.t.ui.waehle("R1");
  b.t.ui.formular_skript({F::druecke(Taste::Esc)});
  EXPECT_TRUE(v.ausfuehren());  // closed without dunning
  EXPECT_EQ(b.op().get(O::Mahnstufe), 0);
  b.t.ui.alles_verbraucht();
  EXPECT_TRUE(b.t.ui.meldungen().empty()) << b.t.ui.meldungen().front();
  // Nothing marked: "Mahnen OP" prints no letter and changes nothing.
  b.t.ui.formular_skript({F::klicke("Mark. keine"), F::klicke("Mahnen OP")});
  EXPECT_TRUE(v.ausfuehren());
  EXPECT_EQ(b.op().get(O::Mahnstufe), 0);
  TFMahnvorschlag alle(m, druck());
  b.t.ui.formular_skript({F::klicke("Mahnen alle")});
  EXPECT_TRUE(alle.ausfuehren());
  EXPECT_EQ(b.op().get(O::Mahnstufe), 1);
}

// The new levels of a run reach the disk together: a crash at any write
// leaves every item as before or every item raised.
TEST(Mahnlauf, StufenGanzOderGarNicht) {
  const auto vorbereiten = [](Testbuchhaltung& t) {
    einrichten(t);
    // A second customer with an item of its own.
    Mandant& m = *t.m;
    ASSERT_TRUE(m.personen->suchen(m.personenkonto_text(10002)));
    m.personen->satz().set(PersonenFelder::Mkz, std::uint8_t{1});
    ASSERT_TRUE(m.personen->speichern(m.personenkonto_text(10002)));
    t.buchung("10002", 'S', 5000, "4400", "", 'R', "R2", 10, DMYtoDate(1, 10, 2024));
    ASSERT_TRUE(t.kern->buchen(5));
    t.buchung("4400", 'H', 5000, "10002", "", 'R', "R2", 10, DMYtoDate(1, 10, 2024));
    ASSERT_TRUE(t.kern->buchen(6));
  };
  const auto mahnen = [](Testbuchhaltung& t) { return mahnungen_drucken(*t.m, druck()); };
  int punkte = 0;
  absturzfest_pruefen(vorbereiten, mahnen, &punkte);
  EXPECT_GT(punkte, 1);
}

}  // namespace
}  // namespace fibu
