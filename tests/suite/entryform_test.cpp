#include "suite/entryform.h"

#include <gtest/gtest.h>

#include "suite/test_interaktion.h"

namespace fibu {
namespace {

using S = Formularschritt;

// A small account dialog: number with a range check on leaving, name,
// budget, opening date, a yes/no, a choice, an F2 list and Page down.
struct Kontodialog {
  TEntryForm form{"Pflege der Sachkonten"};
  int gespeichert = 0;
  int naechstes = 0;

  Kontodialog() {
    form.AddLongInt(1, "Kontonummer", 0, 0, 99999999);
    form.AddString(2, "Bezeichnung", "", 25);
    form.AddComp(3, "Budget", 0, "############.##");
    form.AddDate(4, "Datum der Kontoeröffnung", kein_datum);
    form.AddYesNo(5, "Sammelkonto", false);
    form.AddChoice(6, "Kontenart", {"Standard", "Kasse", "Mehrwertsteuer"}, 0);
    form.beim_verlassen([](TEntryForm& f, int nr) {
      if (nr == 1 && (f.zahl(1) < 1 || f.zahl(1) > 9999)) {
        f.ui().ShowMessageParent("Kontonummer stimmt nicht mit Nummernkreis überein!");
        return false;
      }
      return true;
    });
    form.beim_speichern([this](TEntryForm& f) {
      if (f.text(2).empty()) {
        f.ui().ShowMessageParent("Bitte Bezeichnung eintragen!");
        return false;
      }
      ++gespeichert;
      return true;
    });
    form.AddKey(Taste::F2, "&Liste", [](TEntryForm& f) {
      Zeilenbrowser liste("Liste der Sachkonten", {{"1000", "1000 Kasse"}, {"1200", "1200 Bank"}});
      if (auto e = winpicklist(f.ui(), liste)) f.setze_zahl(1, std::stoll(e->schluessel));
      return Reaktion::Weiter;
    });
    form.AddKey(Taste::BildAb, "&>", [this](TEntryForm&) {
      ++naechstes;
      return Reaktion::Weiter;
    });
  }
};

TEST(TEntryForm, TypedValuesAreParsedByFieldType) {
  Kontodialog d;
  TestInteraktion ui;
  ui.formular_skript({S::tippe("Kontonummer", "1200"), S::tippe("&Bezeichnung", "Bank"),
                      S::tippe("Budget", "1.234,50"),
                      S::tippe("Datum der Kontoeröffnung", "1.1.07"), S::tippe("Sammelkonto", "ja"),
                      S::tippe("Kontenart", "Kasse"), S::druecke(Taste::Esc)});
  ASSERT_TRUE(d.form.Execute(ui));
  EXPECT_EQ(d.form.zahl(1), 1200);
  EXPECT_EQ(d.form.text(2), "Bank");
  EXPECT_EQ(d.form.zahl(3), 123450);
  EXPECT_EQ(d.form.anzeige(3), "1234,50");  // editable: no thousands
  d.form.ProtectControl(3);
  EXPECT_EQ(d.form.anzeige(3), "1.234,50");  // only shown: as the lists print it
  EXPECT_EQ(d.form.datum(4), DMYtoDate(1, 1, 2007));
  EXPECT_EQ(d.form.anzeige(4), "01.01.2007");
  EXPECT_TRUE(d.form.ja(5));
  EXPECT_EQ(d.form.auswahl(6), 1);
  EXPECT_EQ(d.gespeichert, 1);
  EXPECT_TRUE(ui.meldungen().empty());
}

TEST(TEntryForm, RefusedInputKeepsTheOldValueAndSaysWhy) {
  Kontodialog d;
  TestInteraktion ui;
  ui.formular_skript(
      {S::tippe("Kontonummer", "12x", false), S::tippe("Kontonummer", "123456789", false),
       S::tippe("Bezeichnung", std::string(26, 'a'), false), S::tippe("Bezeichnung", "Łódź", false),
       S::tippe("Datum der Kontoeröffnung", "30.02.2007", false),
       S::tippe("Budget", "1,2,3", false), S::tippe("Kontenart", "Bank", false),
       S::tippe("Kontenart", "", false), S::tippe("Kontonummer", "1000"),
       S::druecke(Taste::Esc),  // save refused: no name
       S::tippe("Bezeichnung", "Kasse"), S::druecke(Taste::Esc)});
  ASSERT_TRUE(d.form.Execute(ui));
  EXPECT_EQ(ui.meldungen(), (std::vector<std::string>{
                                "Bitte eine ganze Zahl eingeben!",
                                "Bitte einen Wert von 0 bis 99999999 eingeben!",
                                "Der Text ist zu lang (höchstens 25 Zeichen)!",
                                "Der Text enthält Zeichen, die nicht gespeichert werden können!",
                                "Bitte ein gültiges Datum eingeben (TT.MM.JJJJ)!",
                                "Bitte einen gültigen Betrag eingeben!",
                                "Bitte einen der angebotenen Werte wählen!",
                                "Bitte einen der angebotenen Werte wählen!",
                                "Bitte Bezeichnung eintragen!",
                            }));
  EXPECT_EQ(d.form.zahl(1), 1000);
  EXPECT_EQ(d.form.zahl(3), 0);
  EXPECT_EQ(d.form.auswahl(6), 0);
  EXPECT_EQ(d.gespeichert, 1);
}

TEST(TEntryForm, AValueItsCheckRefusedIsNeverSaved) {
  Kontodialog d;
  TestInteraktion ui;
  // The user types a number outside the range and, without correcting it,
  // goes on to another field and presses Esc.
  ui.formular_skript({S::tippe("Kontonummer", "10000", false), S::tippe("Bezeichnung", "Bank"),
                      S::druecke(Taste::Esc), S::tippe("Kontonummer", "1200"),
                      S::druecke(Taste::Esc)});
  ASSERT_TRUE(d.form.Execute(ui));
  EXPECT_EQ(ui.meldungen(), (std::vector<std::string>{
                                "Kontonummer stimmt nicht mit Nummernkreis überein!",
                                "Kontonummer stimmt nicht mit Nummernkreis überein!",
                            }));
  EXPECT_EQ(d.form.fokus(), 1);
  EXPECT_EQ(d.form.zahl(1), 1200);
  EXPECT_EQ(d.gespeichert, 1);
}

TEST(TEntryForm, EscOnAnUntouchedFormDoesNotCheckFields) {
  TEntryForm form("Pflege der Sachkonten");
  form.AddLongInt(1, "Kontonummer", 0);
  form.beim_verlassen([](TEntryForm&, int) { return false; });
  TestInteraktion ui;
  ui.formular_skript({S::druecke(Taste::Esc)});
  EXPECT_TRUE(form.Execute(ui));
}

TEST(TEntryForm, DecimalsShowWithACommaWhateverTheLocale) {
  TEntryForm form("Steuer");
  form.AddDouble(1, "Satz", 19.5, 2);
  EXPECT_EQ(form.anzeige(1), "19,50");
  TestInteraktion ui;
  ui.formular_skript({S::tippe("Satz", "7,25"), S::druecke(Taste::Esc)});
  ASSERT_TRUE(form.Execute(ui));
  EXPECT_DOUBLE_EQ(form.dezimal(1), 7.25);
}

TEST(TEntryForm, KeysRunTheirCommandsAndProtectedFieldsRefuseInput) {
  Kontodialog d;
  TestInteraktion ui;
  ui.waehle("Bank");
  d.form.ProtectControl(2);
  ui.formular_skript({S::druecke(Taste::F2), S::druecke(Taste::BildAb), S::druecke(Taste::F11),
                      S::tippe("Bezeichnung", "x", false), S::schliesse()});
  EXPECT_FALSE(d.form.Execute(ui));  // nothing typed: closing needs no question
  EXPECT_EQ(d.form.zahl(1), 1200);
  EXPECT_EQ(d.naechstes, 1);
  EXPECT_EQ(ui.meldungen().size(), 1u);
}

TEST(TEntryForm, ClosingWithChangesAsksWhetherToSave) {
  {
    Kontodialog d;
    TestInteraktion ui;
    ui.erwarte_frage("Sollen die Änderungen gespeichert werden?", true);
    ui.formular_skript({S::tippe("Bezeichnung", "Kasse"), S::schliesse()});
    EXPECT_TRUE(d.form.Execute(ui));
    EXPECT_EQ(d.gespeichert, 1);
  }
  {
    Kontodialog d;
    TestInteraktion ui;
    ui.erwarte_frage("gespeichert", false);
    ui.formular_skript({S::tippe("Bezeichnung", "Kasse"), S::schliesse()});
    EXPECT_FALSE(d.form.Execute(ui));
    EXPECT_EQ(d.gespeichert, 0);
  }
  {
    Kontodialog d;
    d.form.FrageDatenSpeichern(false);
    TestInteraktion ui;
    ui.formular_skript({S::tippe("Bezeichnung", "Kasse"), S::schliesse()});
    EXPECT_FALSE(d.form.Execute(ui));
  }
}

TEST(TestInteraktion, FailsLoudlyOnWhatTheScriptDidNotForesee) {
  TestInteraktion ui;
  EXPECT_THROW(ui.JaNein2("Wollen Sie dieses Sachkonto löschen?"), UnerwarteteInteraktion);
  ui.erwarte_frage("Konten wirklich loeschen", true);
  EXPECT_THROW(ui.JaNein2("Wollen Sie dieses Sachkonto löschen?"), UnerwarteteInteraktion);

  Kontodialog d;
  EXPECT_THROW(d.form.Execute(ui), UnerwarteteInteraktion);  // no script
  ui.formular_skript({S::tippe("Kontonummer", "1000")});
  EXPECT_THROW(d.form.Execute(ui), UnerwarteteInteraktion);  // script left it open
  ui.formular_skript({S::tippe("Gibt es nicht", "1")});
  EXPECT_THROW(d.form.Execute(ui), UnerwarteteInteraktion);

  TestInteraktion rest;
  rest.erwarte_frage("x", true);
  EXPECT_THROW(rest.alles_verbraucht(), UnerwarteteInteraktion);
}

TEST(TEntryForm, PagesAndFieldsByNumber) {
  TEntryForm form("Mandantendaten pflegen");
  form.Seite("Mandant");
  form.AddString(1, "Finanzamt", "", 20);
  form.Seite("Perioden");
  form.AddByte(2, "Anzahl Perioden", 12, 1, 12);
  EXPECT_EQ(form.seiten(), (std::vector<std::string>{"Mandant", "Perioden"}));
  EXPECT_EQ(form.feld(2).seite, 1);
  TestInteraktion ui;
  ui.formular_skript({S::tippe("#2", "13", false), S::tippe("#2", "4"), S::druecke(Taste::Esc)});
  ASSERT_TRUE(form.Execute(ui));
  EXPECT_EQ(form.zahl(2), 4);
  EXPECT_THROW(form.AddString(2, "doppelt", "", 1), std::logic_error);
}

TEST(Zeilenbrowser, PagesForwardAndBackward) {
  std::vector<std::string> zeilen;
  for (int i = 0; i < 250; ++i) zeilen.push_back("Zeile " + std::to_string(i));
  Zeilenbrowser b = Zeilenbrowser::aus_zeilen("Liste", zeilen);
  auto erste = b.ab("", 100);
  ASSERT_EQ(erste.size(), 100u);
  auto zweite = b.ab(erste.back().schluessel + '\0', 100);
  EXPECT_EQ(zweite.front().zeile, "Zeile 100");
  auto zurueck = b.vor(zweite.front().schluessel, 30);
  ASSERT_EQ(zurueck.size(), 30u);
  EXPECT_EQ(zurueck.front().zeile, "Zeile 70");
  EXPECT_EQ(zurueck.back().zeile, "Zeile 99");
  EXPECT_TRUE(b.vor(erste.front().schluessel, 10).empty());
  EXPECT_EQ(b.ab(std::string(1, '\x7F'), 10).size(), 0u);
}

}  // namespace
}  // namespace fibu
