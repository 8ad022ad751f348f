#include "suite/batch_interaktion.h"

#include <gtest/gtest.h>

#include <sstream>

#include "suite/ausgabe3.h"
#include "suite/test_dateisystem.h"

namespace fibu {
namespace {

const char* antwortdatei =
    "# Antworten für den Testlauf\n"
    "Mandantnummer = 5\n"
    "Mandantname = Bäckerei Süd\n"
    "Wollen Sie dieses Sachkonto löschen? = ja\n"
    "Die Sperre wird aufgehoben! Weiter? = nein\n"
    "Liste der Sachkonten = 1200\n";

struct Lauf {
  TestDateisystem fs;
  std::ostringstream log;
  Antworten antworten;
  std::unique_ptr<BatchInteraktion> ui;

  explicit Lauf(const std::string& text) {
    EXPECT_TRUE(antworten.aus_text(text));
    ui = std::make_unique<BatchInteraktion>(antworten, log, fs, "/ausgabe");
  }
};

TEST(BatchInteraktion, FillsFormsByCaptionAndSaves) {
  Lauf lauf(antwortdatei);
  TEntryForm form("Neuen Mandant anlegen");
  form.AddWord(1, "&Mandantnummer", 0, 1, 999);
  form.AddString(2, "Mandantname", "", 40);
  form.AddString(3, "Passwort", "geheim", 10);
  ASSERT_TRUE(form.Execute(*lauf.ui));
  EXPECT_EQ(form.zahl(1), 5);
  EXPECT_EQ(form.text(2), "Bäckerei Süd");
  EXPECT_EQ(form.text(3), "geheim");  // not in the file: unchanged
  EXPECT_TRUE(lauf.ui->fehlerfrei());
}

TEST(BatchInteraktion, AnswersForOneDialogAndLeftoverAnswers) {
  Lauf lauf("Neuen Mandant anlegen / Jahr = 2007\nJahr = 2024\nMandantnumer = 5\n");
  TEntryForm anlegen("Neuen Mandant anlegen");
  anlegen.AddWord(1, "Jahr", 0);
  TEntryForm waehlen("Mandant auswählen");
  waehlen.AddWord(1, "Jahr", 0);
  ASSERT_TRUE(anlegen.Execute(*lauf.ui));
  ASSERT_TRUE(waehlen.Execute(*lauf.ui));
  EXPECT_EQ(anlegen.zahl(1), 2007);
  EXPECT_EQ(waehlen.zahl(1), 2024);
  EXPECT_TRUE(lauf.ui->fehlerfrei());
  EXPECT_FALSE(lauf.ui->abschliessen());  // the misspelt caption was never used
  EXPECT_NE(lauf.log.str().find("Antwort wurde nicht gebraucht: Mandantnumer"), std::string::npos);
}

TEST(BatchInteraktion, AnAnsweredProtectedFieldFailsTheRun) {
  Lauf lauf("Mandantname = Neu\n");
  TEntryForm form("Mandant auswählen");
  form.AddString(1, "Mandantname", "Alt", 40);
  form.ProtectControl(1);
  EXPECT_FALSE(form.Execute(*lauf.ui));
  EXPECT_FALSE(lauf.ui->fehlerfrei());
  EXPECT_EQ(form.text(1), "Alt");
}

TEST(BatchInteraktion, RefusedInputFailsTheRun) {
  Lauf lauf("Mandantnummer = 1000\n");
  TEntryForm form("Mandant auswählen");
  form.AddWord(1, "Mandantnummer", 0, 1, 999);
  EXPECT_FALSE(form.Execute(*lauf.ui));
  EXPECT_FALSE(lauf.ui->fehlerfrei());
  EXPECT_NE(lauf.log.str().find("Meldung: Bitte einen Wert von 1 bis 999 eingeben!"),
            std::string::npos);
}

TEST(BatchInteraktion, QuestionsByTheirTextWithLineBreaksAsBlanks) {
  Lauf lauf(antwortdatei);
  EXPECT_TRUE(lauf.ui->JaNein2("Wollen Sie dieses Sachkonto löschen?"));
  EXPECT_FALSE(lauf.ui->JaNein2("Die Sperre wird aufgehoben!\rWeiter?"));
  EXPECT_TRUE(lauf.ui->fehlerfrei());
  EXPECT_FALSE(lauf.ui->JaNein2("Nicht vorgesehen?"));  // no answer, no default
  EXPECT_FALSE(lauf.ui->fehlerfrei());

  Lauf mit_vorgabe("Fragen = ja\n");
  EXPECT_TRUE(mit_vorgabe.ui->JaNein2("Irgendetwas?"));
  EXPECT_TRUE(mit_vorgabe.ui->fehlerfrei());
}

TEST(BatchInteraktion, PickListsChooseTheLineBeginningWithTheAnswer) {
  Lauf lauf(antwortdatei);
  Zeilenbrowser liste("Liste der Sachkonten", {{"1000", "1000 Kasse"}, {"1200", "1200 Bank"}});
  auto e = winpicklist(*lauf.ui, liste);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->zeile, "1200 Bank");
  Zeilenbrowser andere("Liste der Kostenstellen", {});
  EXPECT_FALSE(winpicklist(*lauf.ui, andere));
  EXPECT_FALSE(lauf.ui->fehlerfrei());
}

TEST(BatchInteraktion, PrintJobsBecomeNumberedTextFiles) {
  Lauf lauf("");
  for (const char* titel : {"Sachkontenplan", "Prüfung und Import Fremddaten"}) {
    Ausgabe3 d(*lauf.ui);
    ASSERT_TRUE(d.open_drucker(titel));
    d.druckeln("Zeile 1 für " + std::string(titel));
    d.neue_seite();
    d.druckeln("Seite 2");
    d.close_drucker();
  }
  ASSERT_EQ(lauf.ui->geschriebene_dateien(),
            (std::vector<std::string>{"/ausgabe/001-Sachkontenplan.txt",
                                      "/ausgabe/002-Pruefung_und_Import_Fremddaten.txt"}));
  std::string text;
  ASSERT_TRUE(lauf.fs.lies_datei("/ausgabe/001-Sachkontenplan.txt", text));
  EXPECT_EQ(text, "Zeile 1 für Sachkontenplan\n\f\nSeite 2\n");
}

TEST(Antworten, MalformedLinesAreNamed) {
  Antworten a;
  Ergebnis e = a.aus_text("a = 1\n\nkein Gleichheitszeichen\n");
  EXPECT_EQ(e.code(), Ergebnis::Code::Ungueltig);
  EXPECT_NE(e.text().find("Zeile 3"), std::string::npos);
  Antworten b;
  ASSERT_TRUE(b.aus_text("Buchungstext = A = B\r\nKurz=1\n"));  // the first " = " separates
  ASSERT_NE(b.finde("buchungstext"), nullptr);
  EXPECT_EQ(*b.finde("buchungstext"), "A = B");
  EXPECT_EQ(*b.finde("Kurz"), "1");
}

}  // namespace
}  // namespace fibu
