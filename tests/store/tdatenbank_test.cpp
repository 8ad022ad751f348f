// The record store base with a small file of its own: a number key, a
// search name with duplicates, and a code that may be empty.
#include "store/tdatenbank.h"

#include <gtest/gtest.h>

#include "suite/allgemei.h"
#include "suite/ergebnis.h"
#include "suite/test_dateisystem.h"
#include "suite/test_interaktion.h"

namespace fibu {
namespace {

constexpr TextFeld f_nummer{10, 8}, f_name{19, 18}, f_code{38, 5};

class Testdatei : public tdatenbank {
 public:
  Testdatei(Interaktion& ui, isam::IsamVerzeichnis& v)
      : tdatenbank(ui, v, "TEST", 44, {{8, false}, {18, true}, {5, true}}) {}
  void lies_keys(const Satz& s) override {
    keys_[1] = trim(s.get(f_nummer));
    keys_[2] = trim(s.get(f_name));
    keys_[3] = trim(s.get(f_code));
  }
  void vor_speichern(const std::string& key) override { satz().set(f_nummer, key); }
  void nach_lesen() override { ++gelesen; }
  int gelesen = 0;

  void neu(const std::string& nr, const std::string& name, const std::string& code = "") {
    leeren();
    satz().set(f_name, name);
    satz().set(f_code, code);
    speichern(nr);
  }
};

struct Umgebung {
  TestDateisystem fs;
  TestInteraktion ui;
  isam::IsamVerzeichnis v{fs, "/d"};
  // EXPECT, not ASSERT: a constructor cannot return early.
  Umgebung() { EXPECT_TRUE(fs.verzeichnis_anlegen("/d").ok()); }
};

TEST(tdatenbank, OpeningCreatesAndReadingAKeyThatIsNotThereClears) {
  Umgebung u;
  Testdatei db(u.ui, u.v);
  EXPECT_FALSE(db.suchen("1"));
  EXPECT_EQ(u.ui.meldungen().back(), "Datenbank \"TEST\" ist noch nicht geöffnet!");
  db.oeffnen();
  EXPECT_TRUE(db.offen());
  EXPECT_TRUE(db.angelegt());
  db.oeffnen();
  EXPECT_EQ(u.ui.meldungen().back(), "DB-OPEN \"TEST\" ist bereits geöffnet!");

  db.neu("00001000", "KASSE", "K1");
  db.satz().set(f_name, "GEÄNDERT");
  int vorher = db.gelesen;
  EXPECT_FALSE(db.suchen("00009999"));
  EXPECT_EQ(db.satz().get(f_name), "");  // cleared
  EXPECT_EQ(db.key(2), "");
  EXPECT_GT(db.gelesen, vorher);         // nach_lesen ran
  EXPECT_TRUE(db.suchen(" 00001000 "));  // keys are trimmed
  EXPECT_EQ(db.satz().get(f_name), "KASSE");
}

TEST(tdatenbank, AnUpdateKeepsKeyOneAndReplacesEverySecondaryKey) {
  Umgebung u;
  Testdatei db(u.ui, u.v);
  db.oeffnen();
  db.neu("00001000", "KASSE", "K1");
  ASSERT_TRUE(db.suchen("00001000"));
  db.satz().set(f_name, "BARGELD");
  db.satz().set(f_code, "");  // derives to empty: not indexed
  db.speichern("00001000");
  EXPECT_FALSE(db.suchen_key(2, "KASSE"));
  EXPECT_TRUE(db.suchen_key(2, "BARGELD"));
  EXPECT_EQ(db.anzahl_keys(1), 1u);
  EXPECT_EQ(db.anzahl_keys(2), 1u);
  EXPECT_EQ(db.anzahl_keys(3), 0u);
  EXPECT_EQ(db.anzahl_saetze(), 1u);

  db.speichern("   ");  // an empty key stores nothing
  EXPECT_EQ(db.anzahl_saetze(), 1u);
  EXPECT_TRUE(db.key_vorhanden(1, ""));
  EXPECT_FALSE(db.key_vorhanden(3, "K1"));
}

TEST(tdatenbank, DeletingRemovesTheKeysOfTheLastRead) {
  Umgebung u;
  Testdatei db(u.ui, u.v);
  db.oeffnen();
  db.neu("00001000", "KASSE", "K1");
  db.neu("00001200", "BANK", "K1");
  ASSERT_TRUE(db.suchen("00001000"));
  db.loeschen("00001000");
  EXPECT_FALSE(db.suchen("00001000"));
  EXPECT_EQ(db.anzahl_keys(2), 1u);
  EXPECT_EQ(db.anzahl_keys(3), 1u);
  EXPECT_EQ(db.anzahl_saetze(), 1u);
}

TEST(tdatenbank, ReadingOnWithinBoundsStopsAtTheUpperBound) {
  Umgebung u;
  Testdatei db(u.ui, u.v);
  db.oeffnen();
  for (const char* nr : {"12339999", "12340001", "12349999", "12350000"})
    db.neu(nr, std::string("N") + nr);
  std::string key = "1234";
  std::vector<std::string> gelesen;
  while (db.lies_weiter_bis(1, key, "1234", "1234")) gelesen.push_back(db.satz().get(f_nummer));
  EXPECT_EQ(gelesen, (std::vector<std::string>{"12340001", "12349999"}));
  EXPECT_EQ(key, "12349999");  // the key the failing step started from

  key = "12349999";
  gelesen.clear();
  while (db.lies_zurueck_ab(1, key, "1234", "1234")) gelesen.push_back(db.satz().get(f_nummer));
  EXPECT_EQ(gelesen, std::vector<std::string>{"12340001"});
  EXPECT_EQ(key, "12340001");
}

TEST(tdatenbank, SteppingAcrossEqualKeysVisitsEveryRecord) {
  Umgebung u;
  Testdatei db(u.ui, u.v);
  db.oeffnen();
  for (int i = 0; i < 5; ++i) db.neu("0000100" + std::to_string(i), i % 2 ? "MEIER" : "MAIER");
  std::vector<std::string> folge;
  std::string key;
  while (db.lies_weiter(2, key)) folge.push_back(key + "/" + db.satz().get(f_nummer));
  EXPECT_EQ(folge, (std::vector<std::string>{"MAIER/00001000", "MAIER/00001002", "MAIER/00001004",
                                             "MEIER/00001001", "MEIER/00001003"}));
  std::vector<std::string> zurueck;
  key = "ZZZ";
  while (db.lies_zurueck(2, key)) zurueck.push_back(db.satz().get(f_nummer));
  EXPECT_EQ(zurueck.size(), 5u);
  EXPECT_EQ(zurueck.front(), "00001003");

  key = "MB";
  ASSERT_TRUE(db.suche_ab(2, key));
  EXPECT_EQ(key, "MEIER");
  key = "MAIER";
  ASSERT_TRUE(db.weiter_key(2, key));  // no read: the record stays
}

TEST(tdatenbank, PickListsChooseAndLoadTheRecord) {
  Umgebung u;
  Testdatei db(u.ui, u.v);
  db.oeffnen();
  db.neu("00001000", "KASSE");
  db.neu("00001200", "BANK");
  db.neu("00001800", "POSTBANK");
  Zeilenbauer zeile = [](const Satz& s) { return s.get(f_nummer) + " " + s.get(f_name); };
  u.ui.waehle("BANK");
  std::string key;
  ASSERT_TRUE(db.auswahl(1, "Liste der Sachkonten", key, zeile));
  EXPECT_EQ(key, "00001200");
  EXPECT_EQ(db.satz().get(f_name), "BANK");
  // The list opens at the key given.
  EXPECT_EQ(u.ui.protokoll().back(), "Auswahl: Liste der Sachkonten ab 00001000 KASSE");
  u.ui.waehle(std::nullopt);
  key = "00001500";
  EXPECT_FALSE(db.auswahl(1, "Liste der Sachkonten", key, zeile));
  EXPECT_EQ(u.ui.protokoll().back(), "Auswahl: Liste der Sachkonten ab 00001800 POSTBANK");
  EXPECT_EQ(db.satz().get(f_name), "");
  // Within a range the list holds only its keys.
  u.ui.waehle("KASSE");
  EXPECT_THROW((void)db.auswahl_bereich(1, "Liste", key, zeile, "00001100", "00001900"),
               UnerwarteteInteraktion);
}

TEST(tdatenbank, ADefectiveIndexIsRebuiltWhenTheUserAgrees) {
  Umgebung u;
  {
    Testdatei db(u.ui, u.v);
    db.oeffnen();
    for (int i = 0; i < 50; ++i)
      db.neu("000020" + std::to_string(10 + i), "NAME" + std::to_string(i % 4), "C");
  }
  std::unique_ptr<Datei> d;
  ASSERT_TRUE(u.fs.oeffnen("/d/TEST.IX", Oeffnen::LesenSchreiben, d));
  ASSERT_TRUE(d->schreiben(4096 + 50, "XX"));
  d.reset();
  {
    Testdatei db(u.ui, u.v);
    u.ui.erwarte_frage("Die Datenbank \"TEST\" ist defekt!!! Reorganisieren?", true);
    db.oeffnen();
    ASSERT_TRUE(db.offen());
    EXPECT_EQ(db.anzahl_keys(1), 50u);
    EXPECT_EQ(db.anzahl_keys(2), 50u);
    EXPECT_TRUE(db.suchen_key(2, "NAME3"));
    EXPECT_EQ(db.reorg_zaehler(), 4 * 50);  // (keys + 1) per record
  }
  ASSERT_TRUE(u.fs.oeffnen("/d/TEST.IX", Oeffnen::LesenSchreiben, d));
  ASSERT_TRUE(d->schreiben(4096 + 50, "XX"));
  d.reset();
  Testdatei db(u.ui, u.v);
  u.ui.erwarte_frage("Reorganisieren?", false);
  EXPECT_THROW(db.oeffnen(), Abbruch);
  EXPECT_FALSE(db.offen());
}

TEST(tdatenbank, AWrongRecordSizeOrKeyCountEndsTheProgram) {
  Umgebung u;
  {
    Testdatei db(u.ui, u.v);
    db.oeffnen();
  }
  class Anders : public tdatenbank {
   public:
    Anders(Interaktion& ui, isam::IsamVerzeichnis& v, std::uint16_t groesse, int keys)
        : tdatenbank(ui, v, "TEST", groesse,
                     isam::Schluesseltabelle(static_cast<std::size_t>(keys), {8, false})) {}
  };
  Anders groesse(u.ui, u.v, 45, 3);
  try {
    groesse.oeffnen();
    FAIL();
  } catch (const Abbruch& a) {
    EXPECT_EQ(a.text(), "Datensatzgröße der DB \"TEST\" ist falsch!\rProgramm wird abgebrochen!");
  }
  Anders keys(u.ui, u.v, 44, 2);
  try {
    keys.oeffnen();
    FAIL();
  } catch (const Abbruch& a) {
    EXPECT_EQ(a.text(), "Schlüsselanzahl der DB \"TEST\" ist falsch!\rProgramm wird abgebrochen!");
  }
}

TEST(tdatenbank, TheBaseAsksForItsKeyDerivation) {
  Umgebung u;
  tdatenbank roh(u.ui, u.v, "ROH", 20, {{4, false}});
  roh.oeffnen();
  roh.lies_keys(roh.satz());
  EXPECT_EQ(u.ui.meldungen().back(), "Prozedur LIES-KEYS bitte überschreiben!");
}

}  // namespace
}  // namespace fibu
