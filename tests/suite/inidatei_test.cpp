#include "suite/inidatei.h"

#include <gtest/gtest.h>

#include "suite/test_dateisystem.h"

namespace fibu {
namespace {

TEST(IniDatei, ReadsSectionsAndKeysWithoutRegardToCase) {
  IniDatei ini;
  ASSERT_TRUE(ini.aus_text("; Fensterposition\n[FORM]\nx=120\ny = 45\n\n[Drucker]\nName=PDF\n"));
  EXPECT_EQ(ini.zahl("form", "X"), 120);
  EXPECT_EQ(ini.zahl("FORM", "y"), 45);
  EXPECT_EQ(ini.wert("drucker", "name"), "PDF");
  EXPECT_EQ(ini.wert("FORM", "z"), std::nullopt);
  EXPECT_EQ(ini.wert_oder("FEHLT", "x", "vorgabe"), "vorgabe");
}

TEST(IniDatei, WritesBackInOrderAndRoundTrips) {
  TestDateisystem fs;
  IniDatei ini;
  ASSERT_TRUE(ini.setze("FORM", "x", "10"));
  ASSERT_TRUE(ini.setze("FORM", "y", "20"));
  ASSERT_TRUE(ini.setze("form", "X", "11"));  // same key
  ASSERT_TRUE(ini.speichern(fs, "/FPfibu.ini"));
  std::string text;
  ASSERT_TRUE(fs.lies_datei("/FPfibu.ini", text));
  EXPECT_EQ(text, "[FORM]\r\nx=11\r\ny=20\r\n");

  IniDatei gelesen;
  ASSERT_TRUE(gelesen.laden(fs, "/FPfibu.ini"));
  EXPECT_EQ(gelesen.als_text(), text);
  gelesen.entferne("FORM", "x");
  EXPECT_EQ(gelesen.wert("FORM", "x"), std::nullopt);
}

TEST(IniDatei, WindowsSemanticsForValues) {
  IniDatei ini;
  std::string lang(300, 'x');
  ASSERT_TRUE(
      ini.aus_text("[Texte]\n  Einrueckung = 1\nMiete=Miete ;Juni\nLang=" + lang + "\n[Leer]\n"));
  EXPECT_EQ(ini.wert("Texte", "Einrueckung"), "1");  // an indented key is a key
  EXPECT_EQ(ini.wert("Texte", "Miete"), "Miete ;Juni");
  EXPECT_EQ(ini.wert("Texte", "Lang"), lang);
  EXPECT_TRUE(ini.hat_abschnitt("Leer"));
  EXPECT_FALSE(ini.setze("Texte", "Zeile", "a\nb"));
  EXPECT_FALSE(ini.setze("Texte", "a=b", "1"));
  EXPECT_FALSE(ini.setze("a]b", "k", "1"));
  EXPECT_EQ(ini.wert("Texte", "Zeile"), std::nullopt);
}

TEST(IniDatei, FilesAreInTheWindowsCodePage) {
  TestDateisystem fs;
  ASSERT_TRUE(fs.schreibe_datei_atomar("/suite.ini", "[Firma]\r\nOrt=M\xFCnchen\r\n"));
  IniDatei ini;
  ASSERT_TRUE(ini.laden(fs, "/suite.ini"));
  EXPECT_EQ(ini.wert("Firma", "Ort"), "München");
  ASSERT_TRUE(ini.setze("Firma", "Straße", "Hauptstraße 1"));
  ASSERT_TRUE(ini.speichern(fs, "/suite.ini"));
  std::string bytes;
  ASSERT_TRUE(fs.lies_datei("/suite.ini", bytes));
  EXPECT_EQ(bytes,
            "[Firma]\r\nOrt=M\xFCnchen\r\nStra\xDF"
            "e=Hauptstra\xDF"
            "e 1\r\n");
}

TEST(IniDatei, MissingAndMalformedFiles) {
  TestDateisystem fs;
  IniDatei ini;
  EXPECT_EQ(ini.laden(fs, "/fehlt.ini").code(), Ergebnis::Code::NichtGefunden);
  Ergebnis e = ini.aus_text("[A]\nx=1\nkaputt\n");
  EXPECT_EQ(e.code(), Ergebnis::Code::Ungueltig);
  EXPECT_NE(e.text().find("Zeile 3"), std::string::npos);
  EXPECT_EQ(ini.zahl("A", "x"), 1);
}

}  // namespace
}  // namespace fibu
