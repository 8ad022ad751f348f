#include "suite/dateisystem.h"

#include <gtest/gtest.h>

#include "suite/test_dateisystem.h"
#include "testverzeichnis.h"

namespace fibu {
namespace {

using Code = Ergebnis::Code;

std::string inhalt(Dateisystem& fs, const std::string& pfad) {
  std::string s;
  Ergebnis e = fs.lies_datei(pfad, s);
  return e ? s : "<" + e.text() + ">";
}

void schreibe(Dateisystem& fs, const std::string& pfad, const std::string& text, bool sync = true) {
  std::unique_ptr<Datei> d;
  ASSERT_TRUE(fs.oeffnen(pfad, Oeffnen::Anlegen, d));
  ASSERT_TRUE(d->schreiben(0, text));
  if (sync) {
    ASSERT_TRUE(d->sync());
  }
}

// The operations behave alike on the real and the in-memory file system.
class BeideDateisysteme : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      fs_ = echtes_dateisystem();
      wurzel_ = tmp_.pfad();
    } else {
      fs_ = std::make_unique<TestDateisystem>();
      wurzel_ = "/daten";
      ASSERT_TRUE(fs_->verzeichnis_anlegen(wurzel_));
    }
  }
  std::string pfad(const std::string& name) const { return wurzel_ + "/" + name; }

  Testverzeichnis tmp_;
  std::unique_ptr<Dateisystem> fs_;
  std::string wurzel_;
};

TEST_P(BeideDateisysteme, ReadWriteSizeAndTruncate) {
  std::unique_ptr<Datei> d;
  EXPECT_EQ(fs_->oeffnen(pfad("FEHLT.DAT"), Oeffnen::Lesen, d).code(), Code::NichtGefunden);
  ASSERT_TRUE(fs_->oeffnen(pfad("SACH.EAT"), Oeffnen::Neu, d));
  ASSERT_TRUE(d->schreiben(4, "abc"));  // a hole before the data reads as zeros
  std::uint64_t n = 0;
  ASSERT_TRUE(d->groesse(n));
  EXPECT_EQ(n, 7u);
  std::string s;
  ASSERT_TRUE(d->lesen(0, 100, s));
  EXPECT_EQ(s, std::string("\0\0\0\0abc", 7));
  ASSERT_TRUE(d->kuerzen(5));
  ASSERT_TRUE(d->lesen(3, 10, s));
  EXPECT_EQ(s, std::string("\0a", 2));
  d.reset();
  ASSERT_TRUE(fs_->oeffnen(pfad("SACH.EAT"), Oeffnen::Lesen, d));
  EXPECT_FALSE(d->schreiben(0, "x"));  // read only
}

TEST_P(BeideDateisysteme, DirectoriesListRenameDeleteAndCaseInsensitiveLookup) {
  ASSERT_TRUE(fs_->verzeichnis_anlegen(pfad("005/2024")));
  EXPECT_TRUE(fs_->ist_verzeichnis(pfad("005")));
  schreibe(*fs_, pfad("005/2024/BASIS.PAR"), "b");
  schreibe(*fs_, pfad("005/2024/sach.eat"), "s");
  std::vector<std::string> namen;
  ASSERT_TRUE(fs_->liste(pfad("005/2024"), namen));
  EXPECT_EQ(namen, (std::vector<std::string>{"BASIS.PAR", "sach.eat"}));
  EXPECT_EQ(fs_->finde_datei(pfad("005/2024"), "basis.par"), pfad("005/2024/BASIS.PAR"));
  EXPECT_EQ(fs_->finde_datei(pfad("005/2024"), "SACH.EAT"), pfad("005/2024/sach.eat"));
  EXPECT_EQ(fs_->finde_datei(pfad("005/2024"), "KOSTEN.EAT"), std::nullopt);

  ASSERT_TRUE(fs_->umbenennen(pfad("005/2024/sach.eat"), pfad("005/2024/BASIS.PAR")));
  EXPECT_EQ(inhalt(*fs_, pfad("005/2024/BASIS.PAR")), "s");
  EXPECT_EQ(fs_->verzeichnis_loeschen(pfad("005/2024")).code(), Code::Existiert);
  ASSERT_TRUE(fs_->loeschen(pfad("005/2024/BASIS.PAR")));
  EXPECT_EQ(fs_->loeschen(pfad("005/2024/BASIS.PAR")).code(), Code::NichtGefunden);
  ASSERT_TRUE(fs_->verzeichnis_loeschen(pfad("005/2024")));
  EXPECT_FALSE(fs_->existiert(pfad("005/2024")));
}

TEST_P(BeideDateisysteme, LocksConflictBetweenOpenFiles) {
  schreibe(*fs_, pfad("SACH.EIX"), "index");
  std::unique_ptr<Datei> a, b;
  ASSERT_TRUE(fs_->oeffnen(pfad("SACH.EIX"), Oeffnen::LesenSchreiben, a));
  ASSERT_TRUE(fs_->oeffnen(pfad("SACH.EIX"), Oeffnen::LesenSchreiben, b));
  ASSERT_TRUE(a->sperren(Sperrart::Geteilt, false));
  EXPECT_TRUE(b->sperren(Sperrart::Geteilt, false));  // readers share
  EXPECT_EQ(b->sperren(Sperrart::Exklusiv, false).code(), Code::Gesperrt);
  ASSERT_TRUE(a->entsperren());
  EXPECT_TRUE(b->sperren(Sperrart::Exklusiv, false));  // upgrade once alone
  EXPECT_EQ(a->sperren(Sperrart::Geteilt, false).code(), Code::Gesperrt);
  // Byte ranges: different records lock independently.
  ASSERT_TRUE(b->entsperren());
  ASSERT_TRUE(a->sperren(Sperrart::Exklusiv, false, 0, 10));
  EXPECT_TRUE(b->sperren(Sperrart::Exklusiv, false, 10, 10));
  EXPECT_EQ(b->sperren(Sperrart::Exklusiv, false, 5, 2).code(), Code::Gesperrt);
  a.reset();  // closing releases
  EXPECT_TRUE(b->sperren(Sperrart::Exklusiv, false, 0, 10));
}

TEST_P(BeideDateisysteme, CreateOnlyIfAbsentAndReadOnlyHandles) {
  std::unique_ptr<Datei> d;
  ASSERT_TRUE(fs_->oeffnen(pfad("UMBAU.DAT"), Oeffnen::NeuExklusiv, d));
  d.reset();
  EXPECT_EQ(fs_->oeffnen(pfad("UMBAU.DAT"), Oeffnen::NeuExklusiv, d).code(), Code::Existiert);
  ASSERT_TRUE(fs_->oeffnen(pfad("UMBAU.DAT"), Oeffnen::Lesen, d));
  EXPECT_TRUE(d->sperren(Sperrart::Geteilt, false));
  EXPECT_FALSE(d->sperren(Sperrart::Exklusiv, false));  // a read-only file cannot be write-locked
  EXPECT_TRUE(fs_->existiert(wurzel_ + "//UMBAU.DAT"));
}

TEST_P(BeideDateisysteme, AFailedCopyLeavesTheTargetAlone) {
  schreibe(*fs_, pfad("BASIS.SIK"), "Sicherung");
  EXPECT_EQ(fs_->kopiere_datei(pfad("FEHLT.PAR"), pfad("BASIS.SIK")).code(), Code::NichtGefunden);
  EXPECT_EQ(inhalt(*fs_, pfad("BASIS.SIK")), "Sicherung");
  std::vector<std::string> namen;
  ASSERT_TRUE(fs_->liste(wurzel_, namen));
  EXPECT_EQ(namen, std::vector<std::string>{"BASIS.SIK"});  // no temporary file left
}

TEST_P(BeideDateisysteme, AtomicReplaceAndCopy) {
  ASSERT_TRUE(fs_->schreibe_datei_atomar(pfad("BASIS.PAR"), "alt"));
  ASSERT_TRUE(fs_->schreibe_datei_atomar(pfad("BASIS.PAR"), "neu"));
  EXPECT_EQ(inhalt(*fs_, pfad("BASIS.PAR")), "neu");
  ASSERT_TRUE(fs_->kopiere_datei(pfad("BASIS.PAR"), pfad("BASIS.SIK")));
  EXPECT_EQ(inhalt(*fs_, pfad("BASIS.SIK")), "neu");
  EXPECT_FALSE(fs_->existiert(pfad("BASIS.PAR.NEU")));
}

INSTANTIATE_TEST_SUITE_P(Dateisystem, BeideDateisysteme, ::testing::Values(true, false),
                         [](const auto& testinfo) { return testinfo.param ? "echt" : "test"; });

TEST(Pfade, JoinAndSplit) {
  EXPECT_EQ(pfad_verbinden("/fibu/", "005"), "/fibu/005");
  EXPECT_EQ(pfad_verbinden("/fibu", "/005"), "/fibu/005");
  EXPECT_EQ(verzeichnis_von("/fibu/005/BASIS.PAR"), "/fibu/005");
  EXPECT_EQ(name_von("/fibu/005/BASIS.PAR"), "BASIS.PAR");
  EXPECT_EQ(verzeichnis_von("BASIS.PAR"), ".");
}

// --- The fault-injecting file system ---

TEST(TestDateisystem, CrashKeepsOnlySyncedDataUnderSyncedNames) {
  TestDateisystem fs;
  ASSERT_TRUE(fs.verzeichnis_anlegen("/d"));
  schreibe(fs, "/d/SYNC", "gesichert");  // data synced, name not yet
  schreibe(fs, "/d/NAME", "ungesichert", false);
  ASSERT_TRUE(fs.verzeichnis_sync("/d"));
  {
    std::unique_ptr<Datei> d;
    ASSERT_TRUE(fs.oeffnen("/d/SYNC", Oeffnen::LesenSchreiben, d));
    ASSERT_TRUE(d->schreiben(0, "GE"));  // not synced
  }
  schreibe(fs, "/d/NEU", "neu");        // synced data, name never synced
  ASSERT_TRUE(fs.loeschen("/d/NAME"));  // deletion not synced

  fs.absturz();
  EXPECT_EQ(inhalt(fs, "/d/SYNC"), "gesichert");
  EXPECT_EQ(inhalt(fs, "/d/NAME"), "");  // the name survived, its data did not
  EXPECT_FALSE(fs.existiert("/d/NEU"));
}

TEST(TestDateisystem, UnsyncedStateMaySurviveWholeOrInParts) {
  TestDateisystem fs;
  ASSERT_TRUE(fs.verzeichnis_anlegen("/d"));
  schreibe(fs, "/d/A", std::string(2048, 'a'));
  ASSERT_TRUE(fs.verzeichnis_sync("/d"));
  std::unique_ptr<Datei> d;
  ASSERT_TRUE(fs.oeffnen("/d/A", Oeffnen::LesenSchreiben, d));
  ASSERT_TRUE(d->schreiben(0, std::string(2048, 'b')));
  schreibe(fs, "/d/B", "b", false);
  d.reset();

  fs.absturz(TestDateisystem::Verbleib::Alles);
  EXPECT_EQ(inhalt(fs, "/d/A"), std::string(2048, 'b'));
  EXPECT_EQ(inhalt(fs, "/d/B"), "b");

  // A random part: each 512-byte sector of the write is old or new, never
  // anything else; over several crashes both outcomes occur.
  bool alt_gesehen = false, neu_gesehen = false;
  for (std::uint32_t zufall = 1; zufall <= 8; ++zufall) {
    ASSERT_TRUE(fs.oeffnen("/d/A", Oeffnen::LesenSchreiben, d));
    ASSERT_TRUE(d->schreiben(0, std::string(2048, 'c')));
    d.reset();
    fs.absturz(TestDateisystem::Verbleib::Zufall, zufall);
    std::string a = inhalt(fs, "/d/A");
    ASSERT_EQ(a.size(), 2048u);
    for (std::size_t sektor = 0; sektor < 4; ++sektor) {
      std::string teil = a.substr(sektor * 512, 512);
      char c = teil[0];
      EXPECT_EQ(teil, std::string(512, c));
      (c == 'c' ? neu_gesehen : alt_gesehen) = true;
    }
    // The crashed write is now the synced state, or not: sync to go on from a known state.
    ASSERT_TRUE(fs.oeffnen("/d/A", Oeffnen::LesenSchreiben, d));
    ASSERT_TRUE(d->schreiben(0, std::string(2048, 'b')));
    ASSERT_TRUE(d->sync());
    d.reset();
  }
  EXPECT_TRUE(alt_gesehen && neu_gesehen);
}

TEST(TestDateisystem, ADeletedDirectoryTakesItsFilesAlong) {
  TestDateisystem fs;
  ASSERT_TRUE(fs.verzeichnis_anlegen("/d"));
  schreibe(fs, "/d/X", "x");
  ASSERT_TRUE(fs.verzeichnis_sync("/d"));
  ASSERT_TRUE(fs.loeschen("/d/X"));
  ASSERT_TRUE(fs.verzeichnis_loeschen("/d"));
  ASSERT_TRUE(fs.verzeichnis_sync("/"));
  fs.absturz(TestDateisystem::Verbleib::Nichts);
  EXPECT_FALSE(fs.ist_verzeichnis("/d"));
  EXPECT_FALSE(fs.existiert("/d/X"));
}

TEST(TestDateisystem, NewDirectoriesAreDurableAndCountSyncs) {
  TestDateisystem fs;
  std::uint64_t vorher = fs.syncs();
  ASSERT_TRUE(fs.verzeichnis_anlegen("/fibu/005/2024"));
  EXPECT_EQ(fs.syncs(), vorher + 3);  // each new directory syncs its parent
  fs.absturz();
  EXPECT_TRUE(fs.ist_verzeichnis("/fibu/005/2024"));
}

TEST(TestDateisystem, RenameNeedsTheDirectorySync) {
  TestDateisystem fs;
  ASSERT_TRUE(fs.verzeichnis_anlegen("/d"));
  ASSERT_TRUE(fs.schreibe_datei_atomar("/d/BASIS.PAR", "alt"));
  schreibe(fs, "/d/TMP", "neu");
  ASSERT_TRUE(fs.umbenennen("/d/TMP", "/d/BASIS.PAR"));
  fs.absturz();
  EXPECT_EQ(inhalt(fs, "/d/BASIS.PAR"), "alt");
  EXPECT_FALSE(fs.existiert("/d/TMP"));  // its name was never synced
}

TEST(TestDateisystem, FilesOpenedBeforeACrashAreInvalid) {
  TestDateisystem fs;
  ASSERT_TRUE(fs.verzeichnis_anlegen("/d"));
  std::unique_ptr<Datei> d;
  ASSERT_TRUE(fs.oeffnen("/d/X", Oeffnen::Neu, d));
  fs.absturz();
  std::string s;
  EXPECT_FALSE(d->lesen(0, 1, s));
  EXPECT_FALSE(d->schreiben(0, "x"));
}

TEST(TestDateisystem, FailedPartialAndCrashingWrites) {
  TestDateisystem fs;
  ASSERT_TRUE(fs.verzeichnis_anlegen("/d"));
  std::unique_ptr<Datei> d;
  ASSERT_TRUE(fs.oeffnen("/d/X", Oeffnen::Neu, d));

  fs.stoere(1, TestDateisystem::Stoerung::Fehler);
  EXPECT_EQ(d->schreiben(0, "abcd").code(), Code::EA_Fehler);
  EXPECT_EQ(inhalt(fs, "/d/X"), "");
  EXPECT_TRUE(d->schreiben(0, "abcd"));  // only the n-th fails

  fs.stoere(2, TestDateisystem::Stoerung::Teilweise);
  EXPECT_TRUE(d->schreiben(4, "ef"));
  EXPECT_FALSE(d->schreiben(0, "WXYZ"));
  EXPECT_EQ(inhalt(fs, "/d/X"), "WXcdef");

  ASSERT_TRUE(d->sync());
  std::uint64_t vorher = fs.schreibvorgaenge();
  fs.stoere(1, TestDateisystem::Stoerung::Absturz);
  EXPECT_FALSE(d->schreiben(0, "1"));
  EXPECT_TRUE(fs.abgestuerzt());
  std::string s;
  EXPECT_FALSE(fs.lies_datei("/d/X", s));  // the disk is down until the power is back
  EXPECT_EQ(fs.schreibvorgaenge(), vorher + 1);
  fs.absturz();
  EXPECT_FALSE(fs.abgestuerzt());
  EXPECT_FALSE(fs.existiert("/d/X"));  // created but its name never synced
}

// The atomic replace leaves the old or the new content after a crash at any
// point, never a mix and never nothing.
TEST(TestDateisystem, AtomicReplaceSurvivesACrashAtEveryStep) {
  for (std::uint64_t n = 1;; ++n) {
    TestDateisystem fs;
    ASSERT_TRUE(fs.verzeichnis_anlegen("/d"));
    ASSERT_TRUE(fs.schreibe_datei_atomar("/d/BASIS.PAR", "alter Inhalt"));
    fs.stoere(n, TestDateisystem::Stoerung::Absturz);
    bool fertig = fs.schreibe_datei_atomar("/d/BASIS.PAR", "neuer Inhalt").ok();
    fs.absturz(TestDateisystem::Verbleib::Zufall, static_cast<std::uint32_t>(n));
    std::string s = inhalt(fs, "/d/BASIS.PAR");
    EXPECT_TRUE(s == "alter Inhalt" || s == "neuer Inhalt") << n << ": " << s;
    if (fertig) {
      EXPECT_EQ(s, "neuer Inhalt");
      break;
    }
  }
}

}  // namespace
}  // namespace fibu
