// The BTX import on the small test client: the dialog's settings and
// defaults, the period and side filters, the order of the lines handed to
// the statement table, the error protocol and the file messages.
#include "banking/btximport.h"

#include <gtest/gtest.h>

#include "../posting/testbuchhaltung.h"
#include "auszugsbeispiele.h"

namespace fibu {
namespace {

using BF = BasisFelder;

constexpr const char* verzeichnis = "/bank";

Datum tag(int t, int m = 1, int j = 2024) {
  return DMYtoDate(t, m, j);
}

std::string csvzeile(const std::string& datum, const std::string& betrag,
                     const std::string& zweck) {
  return "1234567890;10020030;" + datum + ";0,00;;" + datum + ";" + datum + ";;" + zweck + ";;" +
         betrag + ";EUR;\r\n";
}

// The statement table as the import sees it: dated 15.01.2024 unless a test
// says otherwise; it takes what it is given unless told to refuse.
struct Testtabelle {
  Datum datum = tag(15);
  bool annehmen = true;
  std::vector<Auszugszeile> zeilen;
  Zuordnungsmuster muster;
  int aufrufe = 0;

  Auszugstabelle tabelle() {
    return {[this] { return datum; }, [] { return std::string("1200"); },
            [this](const std::vector<Auszugszeile>& z, const Zuordnungsmuster& m) {
              ++aufrufe;
              if (!annehmen) return false;
              zeilen = z;
              muster = m;
              return true;
            }};
  }
};

class Bankimporttest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(u.fs.verzeichnis_anlegen(verzeichnis)); }

  void datei(const std::string& name, const std::string& inhalt) {
    ASSERT_TRUE(u.fs.schreibe_datei_atomar(std::string(verzeichnis) + "/" + name, inhalt));
  }
  Bankimporteinstellungen einstellungen(Auszugsformat f, const std::string& name) {
    Bankimporteinstellungen e;
    e.pfad = verzeichnis;
    e.datei = name;
    e.format = f;
    e.haben = e.soll = true;
    e.von = tag(1);
    e.bis = tag(31);
    return e;
  }
  bool importieren(const Bankimporteinstellungen& e) {
    return bankauszug_importieren(u.m(), e, t.tabelle());
  }
  TestInteraktion& ui() { return u.t.ui; }
  // The protocol's lines below its page header.
  std::vector<std::string> protokoll() {
    EXPECT_EQ(ui().druckauftraege().size(), 1u);
    if (ui().druckauftraege().empty()) return {};
    const auto zeilen = ui().druckauftraege()[0].alle_zeilen();
    auto it = std::find_if(zeilen.begin(), zeilen.end(),
                           [](const std::string& z) { return z.starts_with("Datei    : "); });
    return {it, zeilen.end()};
  }

  Testumgebung u;
  Testtabelle t;
};

TEST_F(Bankimporttest, LinesAreSortedByDayIncomingFirstAndSmallerAmountsFirst) {
  datei("UMSATZ.CSV",
        csvzeile("03.01.2024", "-50,00", "Miete") + csvzeile("03.01.2024", "200,00", "RE2") +
            csvzeile("02.01.2024", "-10,00", "Gebühr") + csvzeile("03.01.2024", "-5,00", "Porto") +
            csvzeile("03.01.2024", "12,5", "RE1"));
  Bankimporteinstellungen e = einstellungen(Auszugsformat::TOnline, "umsatz.csv");
  e.muster = {"RE?", "", "", ""};
  ASSERT_TRUE(importieren(e));
  std::vector<std::string> texte;
  for (const Auszugszeile& z : t.zeilen)
    texte.push_back(DateToDateString("dd.mm", z.datum) + " " + betrag_text(z.haben - z.soll) + " " +
                    z.text);
  EXPECT_EQ(texte,
            (std::vector<std::string>{"02.01 -10,00 Gebühr", "03.01 1,25 RE1", "03.01 200,00 RE2",
                                      "03.01 -5,00 Porto", "03.01 -50,00 Miete"}));
  EXPECT_EQ(t.muster.ar1, "RE?");
  // No line refused: the account number read is shown instead of a protocol.
  EXPECT_TRUE(ui().druckauftraege().empty());
  EXPECT_EQ(ui().meldungen(), std::vector<std::string>{"gelesene Kontonummer : 1234567890"});
  EXPECT_TRUE(ui().protokoll().front().starts_with("Balken: Importieren ..."));
}

TEST_F(Bankimporttest, HabenAndSollSwitchesChooseTheSides) {
  datei("UMSATZ.CSV",
        csvzeile("02.01.2024", "-50,00", "aus") + csvzeile("02.01.2024", "200,00", "ein"));
  struct Fall {
    bool haben, soll;
    std::vector<std::string> texte;
  } faelle[] = {{true, true, {"ein", "aus"}},
                {true, false, {"ein"}},
                {false, true, {"aus"}},
                {false, false, {}}};
  for (const Fall& f : faelle) {
    Bankimporteinstellungen e = einstellungen(Auszugsformat::TOnline, "UMSATZ.CSV");
    e.haben = f.haben;
    e.soll = f.soll;
    ASSERT_TRUE(importieren(e));
    std::vector<std::string> texte;
    for (const Auszugszeile& z : t.zeilen) texte.push_back(z.text);
    EXPECT_EQ(texte, f.texte) << f.haben << f.soll;
  }
}

TEST_F(Bankimporttest, TOnlineProtocolListsEveryRefusedLine) {
  datei("UMSATZ.CSV",
        csvzeile("02.01.2024", "100,00", "RE1") + csvzeile("20.02.2024", "-7,50", "Februar") +
            csvzeile("28.12.2023", "30,00", "Dezember") +
            csvzeile("31.12.2023", "40,00", "Silvester") +
            "1234567890;10020030;02.01.2024;0,00;;02.01.2024;;;Kd 1;2; 3;4,00;EUR;\r\n");
  Bankimporteinstellungen e = einstellungen(Auszugsformat::TOnline, "UMSATZ.CSV");
  e.von = tag(30, 12, 2023);
  ASSERT_TRUE(importieren(e));
  ASSERT_EQ(t.zeilen.size(), 1u);
  EXPECT_EQ(t.zeilen[0].text, "RE1");
  EXPECT_EQ(ui().meldungen(),
            std::vector<std::string>{"2 Buchungen wurden nicht übernommen, da sie nicht in der "
                                     "gewünschten Periode lagen!"});
  EXPECT_EQ(ui().druckauftraege()[0].name, "Fehlerprotokoll T-Online - Datei");
  EXPECT_EQ(protokoll(),
            (std::vector<std::string>{
                "Datei    : /bank/UMSATZ.CSV",
                "Konto    : 1200",
                "Datum    : 15.01.2024",
                "Zeitraum : 30.12.2023 - 31.01.2024",
                "",
                "Folgende Datensätze wurden nicht eingelesen !",
                "",
                "Konto     BLZ       Buchungsdatum      Betrag Währung Grund",
                "1234567890 10020030  02.01.2024              3 4,00    Feldanzahl 14 statt 13",
                "1234567890 10020030  20.02.2024          -7,50 EUR     Buchung nicht im Zeitraum",
                "1234567890 10020030  28.12.2023          30,00 EUR     Buchung nicht im Zeitraum",
                "1234567890 10020030  31.12.2023          40,00 EUR     Buchung nicht in Periode",
            }));
}

TEST_F(Bankimporttest, Mt940LinesOfAnotherMonthAreRefusedNotRedated) {
  // A statement of March with a line booked on 27 February: kept with its
  // day only it would be posted on 27 March.
  datei("AUSZUG.STA",
        ":25:10020030/1234567890\r\n:28C:17\r\n:60F:C240226EUR0,00\r\n"
        ":61:2402270227D80,00NTRF\r\n:86:?20Februar\r\n"
        ":61:2403010301C90,00NTRF\r\n:86:?20Maerz\r\n");
  t.datum = tag(5, 3);
  Bankimporteinstellungen e = einstellungen(Auszugsformat::Swift, "auszug.sta");
  e.von = tag(1, 2);
  e.bis = tag(31, 3);
  ASSERT_TRUE(importieren(e));
  ASSERT_EQ(t.zeilen.size(), 1u);
  EXPECT_EQ(t.zeilen[0].text, "Maerz");
  EXPECT_EQ(ui().druckauftraege()[0].name, "Fehlerprotokoll STA - Datei");
  EXPECT_EQ(protokoll().back(),
            "1234567890 10020030  27.02.2024         -80,00 EUR     Buchung nicht in Periode");
  EXPECT_EQ(ui().meldungen(), std::vector<std::string>{"Kontonummer: 10020030/1234567890\r"
                                                       "Auszugsnummer: 17"});
}

TEST_F(Bankimporttest, Mt940YearComesFromTheValueDate) {
  // Value date 31.12.2007, booked 02.01.: a line of January 2008. The
  // statement's own date no longer decides the year.
  datei("AUSZUG.STA", ":61:0712310102C100,00NTRF\r\n:86:?20Neujahr\r\n");
  t.datum = tag(15, 1, 2008);
  Bankimporteinstellungen e = einstellungen(Auszugsformat::Swift, "AUSZUG.STA");
  e.von = tag(1, 1, 2008);
  e.bis = tag(31, 1, 2008);
  ASSERT_TRUE(importieren(e));
  ASSERT_EQ(t.zeilen.size(), 1u);
  EXPECT_EQ(t.zeilen[0].datum, tag(2, 1, 2008));
  EXPECT_EQ(t.zeilen[0].haben, 10000);
}

TEST_F(Bankimporttest, CamtFileAndZipAreImported) {
  datei("AUSZUG.XML", camt08_beispiel);
  ASSERT_TRUE(importieren(einstellungen(Auszugsformat::Camt, "auszug.xml")));
  EXPECT_EQ(als_text(t.zeilen), beispiel_zeilen);
  EXPECT_EQ(ui().meldungen(), std::vector<std::string>{"Kontonummer: DE89100200301234567890\r"
                                                       "Auszugsnummer: 1"});
}

TEST_F(Bankimporttest, SettingsAreStoredOnlyAfterTheTableTookTheLines) {
  datei("UMSATZ.CSV", csvzeile("02.01.2024", "1,00", "x"));
  Bankimporteinstellungen e = einstellungen(Auszugsformat::TOnline, "UMSATZ.CSV");
  t.annehmen = false;
  EXPECT_FALSE(importieren(e));
  EXPECT_EQ(u.m().basis.get(BF::BankLetzterBis), kein_datum);
  EXPECT_EQ(u.m().basis.get(BF::BankDatei), "");

  t.annehmen = true;
  e.format = Auszugsformat::TOnline;
  e.muster = {"RE?????", "AR?????", "ER?????", "/????"};
  ASSERT_TRUE(importieren(e));
  u.m().lies_basis();  // what is on disk
  const Bankimporteinstellungen gelesen = bankimport_einstellungen_lesen(u.m().basis, tag(6, 12));
  EXPECT_EQ(gelesen.datei, "UMSATZ.CSV");
  EXPECT_EQ(gelesen.pfad, "/bank");
  EXPECT_EQ(gelesen.muster.er, "ER?????");
  EXPECT_EQ(gelesen.muster.sachkonto, "/????");
  EXPECT_EQ(gelesen.von, tag(1, 2));  // the day after the last import
  EXPECT_EQ(gelesen.bis, tag(6, 12));
  EXPECT_EQ(u.m().basis.get(BF::BankLetzterVon), tag(1));
  EXPECT_TRUE(u.m().basis.get(BF::BankFormatTOnline));
  EXPECT_FALSE(u.m().basis.get(BF::BankFormatCamt));
}

TEST_F(Bankimporttest, FilesThatCannotBeReadSaySo) {
  ASSERT_TRUE(u.fs.verzeichnis_anlegen("/bank/ORDNER.STA"));
  datei("KAPUTT.XML", "<Document");
  struct Fall {
    Auszugsformat format;
    const char* name;
    const char* meldung;
  } faelle[] = {
      {Auszugsformat::Swift, "FEHLT.STA", "Datei /bank/FEHLT.STA nicht gefunden!"},
      {Auszugsformat::Swift, "", "Datei /bank/ nicht gefunden!"},
      {Auszugsformat::Swift, "ORDNER.STA", "Konnte Datei \"/bank/ORDNER.STA\" nicht lesen!"},
      {Auszugsformat::Camt, "KAPUTT.XML",
       "Konnte Datei \"/bank/KAPUTT.XML\" nicht lesen!\rDie Datei ist kein gültiges XML (Fehler "
       "in Zeile 1)."},
  };
  for (const Fall& f : faelle) {
    TestInteraktion& i = ui();
    const std::size_t vorher = i.meldungen().size();
    EXPECT_FALSE(importieren(einstellungen(f.format, f.name))) << f.name;
    ASSERT_EQ(i.meldungen().size(), vorher + 1) << f.name;
    EXPECT_EQ(i.meldungen().back(), f.meldung);
    EXPECT_FALSE(i.balken_offen());
  }
  EXPECT_EQ(t.aufrufe, 0);
}

TEST_F(Bankimporttest, DialogShowsTheStoredSettingsAndRunsTheImport) {
  Satz& b = u.m().basis;
  b.set(BF::BankPfad, "/bank");
  b.set(BF::BankFormatSwift, true);
  b.set(BF::bank_muster_ar(1), "AR?????");
  b.set(BF::BankLetzterVon, tag(1, 11));
  b.set(BF::BankLetzterBis, tag(30, 11));
  datei("B.STA", mt940_beispiel);
  u.fs.setze_aenderungszeit("/bank/B.STA", {2024, 1, 2, 18, 5, 9});
  datei("A.STA", "");
  datei("C.TXT", "");
  TFQIF dialog(u.m(), t.tabelle());
  TEntryForm& f = dialog.form();
  EXPECT_EQ(f.titel(), "BTX-Import");
  EXPECT_EQ(f.anzeige(3), "STA-Format (Bank), Swift");
  EXPECT_EQ(f.text(5), "AR?????");
  EXPECT_EQ(f.datum(10), tag(1, 12));
  EXPECT_EQ(f.datum(11), tag(6, 12));
  EXPECT_EQ(f.text(12), "01.11.2024 - 30.11.2024");
  EXPECT_TRUE(f.feld(12).geschuetzt);
  EXPECT_FALSE(f.ja(6));  // as stored
  EXPECT_FALSE(f.ja(9));

  ui().waehle("B.STA");
  ui().formular_skript(
      {Formularschritt::klicke("Sta-&Dateien"), Formularschritt::tippe("Haben-Buchungen", "Ja"),
       Formularschritt::tippe("Soll-Buchungen", "Ja"),
       Formularschritt::tippe("Datum von", "01.01.2024"),
       Formularschritt::tippe("Datum bis", "31.01.2024"), Formularschritt::druecke(Taste::Esc)});
  ASSERT_TRUE(dialog.ausfuehren());
  EXPECT_EQ(als_text(t.zeilen), beispiel_zeilen);
  EXPECT_EQ(t.muster.ar2, "AR?????");
  EXPECT_EQ(u.m().basis.get(BF::BankDatei), "B.STA");
  EXPECT_EQ(u.m().basis.get(BF::BankLetzterBis), tag(31));
  ui().alles_verbraucht();
}

TEST_F(Bankimporttest, FirstImportTakesTodayAndBothSides) {
  const Bankimporteinstellungen e = bankimport_einstellungen_lesen(u.m().basis, tag(6, 12));
  EXPECT_EQ(e.von, tag(6, 12));
  EXPECT_EQ(e.bis, tag(6, 12));
  EXPECT_TRUE(e.haben && e.soll);
  EXPECT_EQ(e.format, Auszugsformat::TOnline);
  EXPECT_EQ(TFQIF(u.m(), t.tabelle()).form().text(12), "");
}

TEST_F(Bankimporttest, FileListShowsStatementFilesWithTheirTime) {
  datei("B.STA", "");
  datei("a.sta", "");
  datei("C.XML", "");
  datei("D.zip", "");
  datei("E.TXT", "");
  u.fs.setze_aenderungszeit("/bank/B.STA", {2024, 1, 2, 18, 5, 9});
  TBankAuswahlDialog w(ui(), u.fs);
  const auto sta = w.dateien("/bank", Auszugsformat::MultiCash);
  ASSERT_TRUE(sta);
  ASSERT_EQ(sta->size(), 2u);
  EXPECT_EQ((*sta)[0].zeile, padcut("B.STA", 40) + "  20240102  18:05:09");
  EXPECT_EQ((*sta)[1].schluessel, "a.sta");
  const auto camt = w.dateien("/bank/", Auszugsformat::Camt);
  ASSERT_TRUE(camt);
  EXPECT_EQ(camt->size(), 2u);
  EXPECT_TRUE(ui().meldungen().empty());

  struct Fall {
    std::string pfad;
    Auszugsformat format;
    const char* meldung;
  } faelle[] = {
      {"/bank", Auszugsformat::TOnline, "Nur für STA-Dateien!"},
      {"/nirgends", Auszugsformat::Swift, "Bitte ein gültiges Verzeichnis eingeben!"},
      {"", Auszugsformat::Swift, "Bitte ein gültiges Verzeichnis eingeben!"},
      {"/r", Auszugsformat::Swift, "Keine STA-Dateien in diesem Verzeichnis gefunden!"},
      {"/r", Auszugsformat::Camt, "Keine CAMT-Dateien in diesem Verzeichnis gefunden!"},
  };
  for (const Fall& f : faelle) {
    EXPECT_FALSE(w.dateien(f.pfad, f.format));
    EXPECT_EQ(ui().meldungen().back(), f.meldung);
  }
}

}  // namespace
}  // namespace fibu
