#include "suite/ausgabe3.h"

#include <gtest/gtest.h>

#include "suite/allgemei.h"
#include "suite/test_interaktion.h"

namespace fibu {
namespace {

std::string blanks(int n) {
  return std::string(static_cast<size_t>(n), ' ');
}

Seitenkopf kopf(int breite) {
  Seitenkopf k;
  k.titel = "Sachkontenplan";
  k.mandant = 5;
  k.mandant_name = "Muster GmbH";
  k.datum = DMYtoDate(6, 12, 2026);
  k.euro = true;
  k.breite = breite;
  return k;
}

TEST(Seitenkopf, ExactLinesForWidth79) {
  std::vector<std::string> erwartet = {
      std::string(79, '-'),
      "Mandant: 005" + blanks(14) + "S a c h k o n t e n p l a n" + blanks(9) + "Datum: 06.12.2026",
      "Muster GmbH" + blanks(54) + "Blatt:       1",
      "Währung: Euro",
      std::string(79, '-'),
      "",
  };
  EXPECT_EQ(seitenkopf_zeilen(kopf(79), 1), erwartet);
}

TEST(Seitenkopf, ExactLinesForWidth132WithSubtitle) {
  Seitenkopf k = kopf(132);
  k.titel = "Buchungsjournal";
  k.untertitel = "Zeitraum: 01.01.2007 - 31.12.2007";
  k.euro = false;
  std::vector<std::string> erwartet = {
      std::string(132, '-'),
      "Mandant: 005" + blanks(39) + "B u c h u n g s j o u r n a l" + blanks(35) +
          "Datum: 06.12.2026",
      blanks(49) + "Zeitraum: 01.01.2007 - 31.12.2007",
      "Muster GmbH" + blanks(106) + "Blatt:       12",
      "Währung: Deutsche Mark",
      std::string(132, '-'),
      "",
  };
  EXPECT_EQ(seitenkopf_zeilen(k, 12), erwartet);
  EXPECT_EQ(zeichenzahl(erwartet[1]), 132u);
  EXPECT_EQ(zeichenzahl(erwartet[3]), 132u);
}

TEST(Seitenkopf, ALongTitleIsPrintedPlainAndNeverOverTheSides) {
  Seitenkopf k = kopf(79);
  k.titel = "Buchungsjournal  (Druckwiederholung)";
  EXPECT_EQ(seitenkopf_zeilen(k, 1)[1], "Mandant: 005" + blanks(9) +
                                            "Buchungsjournal  (Druckwiederholung)" + blanks(5) +
                                            "Datum: 06.12.2026");
  k.titel = std::string(100, 'X');
  std::string zeile = seitenkopf_zeilen(k, 1)[1];
  EXPECT_EQ(zeile, "Mandant: 005 " + std::string(48, 'X') + " Datum: 06.12.2026");
}

TEST(Ausgabe3, ChecksPagesAndBreaksOverflowingPages) {
  TestInteraktion ui;
  ui.zeilen_pro_seite(10);
  Ausgabe3 d(ui);
  ASSERT_TRUE(d.open_drucker("Liste"));
  drucke_seitenkopf(d, kopf(79));  // 6 lines
  EXPECT_FALSE(d.check(4));
  EXPECT_TRUE(d.check(5));
  d.drucke("Konto ");
  d.drucke("1000");
  d.druckeln();
  d.schmal();
  d.druckeln("schmal");
  EXPECT_TRUE(d.check(3));
  d.neue_seite();
  EXPECT_EQ(d.seite(), 2);
  drucke_seitenkopf(d, kopf(79));
  for (int i = 0; i < 5; ++i)
    d.druckeln("Zeile " + std::to_string(i));  // 11 lines: one spills over
  d.schmal(false);
  d.close_drucker();

  ASSERT_EQ(ui.druckauftraege().size(), 1u);
  const Druckauftrag& a = ui.druckauftraege()[0];
  EXPECT_EQ(a.name, "Liste");
  ASSERT_EQ(a.seiten.size(), 3u);
  EXPECT_EQ(a.seiten[0].zeilen[6], (Druckzeile{"Konto 1000", Schrift::Normal}));
  EXPECT_EQ(a.seiten[0].zeilen[7], (Druckzeile{"schmal", Schrift::Schmal}));
  EXPECT_EQ(a.seiten[1].zeilen[2].text, "Muster GmbH" + blanks(54) + "Blatt:       2");
  EXPECT_EQ(a.seiten[1].zeilen.size(), 10u);
  EXPECT_EQ(a.seiten[2].zeilen[0].text, "Zeile 4");
  EXPECT_NE(a.als_text().find("Zeile 3\n\f\nZeile 4\n"), std::string::npos);
}

TEST(Ausgabe3, ACancelledTargetEndsTheReport) {
  TestInteraktion ui;
  ui.drucker_ablehnen();
  Ausgabe3 d(ui);
  EXPECT_FALSE(d.open_drucker_hinweis("Druck einer Übersicht der Umsatzsteuervoranmeldung"));
  d.druckeln("geht nirgends hin");
  d.close_drucker();
  EXPECT_TRUE(ui.druckauftraege().empty());
}

TEST(Ausgabe3, AutomaticBreaksRepeatTheHeaderAndEmptyPagesAreNotStarted) {
  TestInteraktion ui;
  ui.zeilen_pro_seite(8);
  Ausgabe3 d(ui);
  ASSERT_TRUE(d.open_drucker("Liste"));
  d.neue_seite();  // nothing printed yet: no blank first sheet
  EXPECT_EQ(d.seite(), 1);
  d.kopf_bei_umbruch([](Ausgabe3& a) { drucke_seitenkopf(a, kopf(79)); });
  drucke_seitenkopf(d, kopf(79));
  for (int i = 0; i < 4; ++i) d.druckeln("Zeile " + std::to_string(i));
  d.close_drucker();
  const Druckauftrag& a = ui.druckauftraege().at(0);
  ASSERT_EQ(a.seiten.size(), 2u);
  EXPECT_EQ(a.seiten[1].zeilen.size(), 6u + 2u);  // header again, then the rest
  EXPECT_EQ(a.seiten[1].zeilen[2].text, "Muster GmbH" + blanks(54) + "Blatt:       2");
  EXPECT_EQ(a.seiten[1].zeilen[6].text, "Zeile 2");
  EXPECT_EQ(a.breite, 79);
}

TEST(Ausgabe3, AJobNeverClosedGoesNowhere) {
  TestInteraktion ui;
  {
    Ausgabe3 d(ui);
    ASSERT_TRUE(d.open_drucker("Abgebrochen"));
    d.druckeln("halb fertig");
  }
  EXPECT_TRUE(ui.druckauftraege().empty());
}

TEST(Ausgabe3, PositionedTextForForms) {
  TestInteraktion ui;
  Ausgabe3 d(ui);
  ASSERT_TRUE(d.open_drucker("Formular"));
  d.drucke_an(25.0, 40.5, "12345");
  d.close_drucker();
  ASSERT_EQ(ui.druckauftraege()[0].seiten[0].texte.size(), 1u);
  EXPECT_EQ(ui.druckauftraege()[0].seiten[0].texte[0].text, "12345");
}

}  // namespace
}  // namespace fibu
