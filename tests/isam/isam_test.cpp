// Files, errors, locks, plain files and rebuild of the ISAM record manager.
#include "isam/isam.h"

#include <gtest/gtest.h>

#include <cstring>

#include "../suite/testverzeichnis.h"
#include "suite/test_dateisystem.h"

namespace fibu::isam {
namespace {

const Schluesseltabelle konten = {{8, false}, {18, true}};

struct Umgebung {
  TestDateisystem fs;
  IsamVerzeichnis v{fs, "/mandant/001/2007"};
  Umgebung() {
    // EXPECT, not ASSERT: a constructor cannot return early.
    EXPECT_TRUE(fs.verzeichnis_anlegen("/mandant/001/2007").ok());
    v.wartezeit_ms = 0;
  }
};

std::string satz(const std::string& text, std::size_t groesse = 30) {
  std::string s(groesse, '\0');
  std::memcpy(s.data(), text.data(), std::min(text.size(), groesse));
  return s;
}

TEST(IsamDatei, OpeningMissingAndMakingFiles) {
  Umgebung u;
  IsamFileBlock fb(u.v);
  EXPECT_FALSE(fb.OpenNetFileBlock("SACH"));
  EXPECT_EQ(fb.IsamError, fehler_dateien_fehlen);
  u.v.extensionen_fuer_waehrung(true);
  ASSERT_TRUE(fb.MakeNetFileBlock("sach", 30, 2, konten));
  EXPECT_TRUE(u.fs.existiert("/mandant/001/2007/SACH.EAT"));  // upper case, Euro extensions
  EXPECT_TRUE(u.fs.existiert("/mandant/001/2007/SACH.EIX"));
  EXPECT_EQ(fb.BTDatRecordSize(), 30u);
  EXPECT_EQ(fb.BTNrOfKeys(), 2);
  EXPECT_EQ(fb.BTUsedRecs(), 0u);

  IsamFileBlock zweiter(u.v);
  EXPECT_FALSE(zweiter.MakeNetFileBlock("SACH", 30, 2, konten));
  EXPECT_EQ(zweiter.IsamError, fehler_existiert);
  EXPECT_FALSE(zweiter.MakeNetFileBlock("X", 30, 11, konten));
  EXPECT_EQ(zweiter.IsamError, fehler_parameter);
  EXPECT_FALSE(zweiter.MakeNetFileBlock("X", 30, 1, {{31, false}}));
  EXPECT_EQ(zweiter.IsamError, fehler_parameter);
  ASSERT_TRUE(zweiter.OpenNetFileBlock("Sach"));  // names match without regard to case

  ASSERT_TRUE(fb.CloseNetFileBlock());
  ASSERT_TRUE(zweiter.CloseNetFileBlock());
  ASSERT_TRUE(u.fs.loeschen("/mandant/001/2007/SACH.EAT"));
  EXPECT_FALSE(fb.OpenNetFileBlock("SACH"));
  EXPECT_EQ(fb.IsamError, fehler_datendatei_fehlt);
  EXPECT_TRUE(fb.DeleteFileBlock("SACH"));
  EXPECT_FALSE(u.fs.existiert("/mandant/001/2007/SACH.EIX"));
}

TEST(IsamDatei, RecordsAndKeysWithTheirErrors) {
  Umgebung u;
  IsamFileBlock fb(u.v);
  ASSERT_TRUE(fb.MakeNetFileBlock("SACH", 30, 2, konten));
  std::uint32_t kasse, bank;
  ASSERT_TRUE(fb.AddNetRec(kasse, satz("Kasse").data()));
  ASSERT_TRUE(fb.AddNetKey(1, kasse, "00001000"));
  ASSERT_TRUE(fb.AddNetKey(2, kasse, "KASSE"));
  ASSERT_TRUE(fb.AddNetRec(bank, satz("Bank").data()));
  ASSERT_TRUE(fb.AddNetKey(1, bank, "00001200"));
  ASSERT_TRUE(fb.AddNetKey(2, bank, "KASSE"));  // duplicates allowed in key 2

  EXPECT_FALSE(fb.AddNetKey(1, bank, "00001000"));
  EXPECT_EQ(fb.IsamError, fehler_schluessel_doppelt);
  EXPECT_FALSE(fb.AddNetKey(2, bank, "KASSE"));  // the same entry twice
  EXPECT_EQ(fb.IsamError, fehler_schluessel_doppelt);
  EXPECT_FALSE(fb.AddNetKey(3, bank, "x"));
  EXPECT_EQ(fb.IsamError, fehler_parameter);

  std::uint32_t ref = 0;
  ASSERT_TRUE(fb.FindNetKey(1, ref, "00001200"));
  EXPECT_EQ(ref, bank);
  ASSERT_TRUE(fb.FindNetKey(2, ref, "KASSE"));
  EXPECT_EQ(ref, kasse);  // the lowest reference among duplicates
  EXPECT_FALSE(fb.FindNetKey(1, ref, "00001100"));
  EXPECT_EQ(fb.IsamError, fehler_schluessel_fehlt);
  ASSERT_TRUE(fb.FindNetKey(1, ref, "00001000XYZ"));  // cut to the key's length
  EXPECT_EQ(ref, kasse);

  std::string key = "00001100";
  ASSERT_TRUE(fb.SearchNetKey(1, ref, key));
  EXPECT_EQ(key, "00001200");
  key = "00009999";
  EXPECT_FALSE(fb.SearchNetKey(1, ref, key));
  EXPECT_EQ(fb.IsamError, fehler_indexende);

  std::string gelesen(30, '\0');
  ASSERT_TRUE(fb.DeleteNetRec(kasse));
  EXPECT_FALSE(fb.GetNetRec(kasse, gelesen.data()));
  EXPECT_EQ(fb.IsamError, fehler_satzreferenz);
  EXPECT_FALSE(fb.GetNetRec(99, gelesen.data()));
  EXPECT_FALSE(fb.PutNetRec(0, gelesen.data()));
  std::uint32_t neu;
  ASSERT_TRUE(fb.AddNetRec(neu, satz("Postbank").data()));
  EXPECT_EQ(neu, kasse);  // the freed slot is reused
  ASSERT_TRUE(fb.GetNetRec(neu, gelesen.data()));
  EXPECT_STREQ(gelesen.c_str(), "Postbank");

  fb.AddNullKeys = false;
  ASSERT_TRUE(fb.AddNetKey(2, bank, ""));
  EXPECT_EQ(fb.BTUsedKeys(2), 2u);  // not indexed
  fb.AddNullKeys = true;
  ASSERT_TRUE(fb.AddNetKey(2, bank, ""));
  EXPECT_EQ(fb.BTUsedKeys(2), 3u);
  EXPECT_TRUE(fb.NetKeyExists(2, bank, ""));
  EXPECT_FALSE(fb.NetKeyExists(2, kasse, ""));

  IsamFileBlock zu(u.v);
  EXPECT_FALSE(zu.AddNetRec(ref, gelesen.data()));
  EXPECT_EQ(zu.IsamError, fehler_nicht_offen);
}

TEST(IsamDatei, AOneRecordUnitCostsThreeSyncs) {
  Umgebung u;
  IsamFileBlock fb(u.v);
  ASSERT_TRUE(fb.MakeNetFileBlock("SACH", 30, 2, konten));
  std::uint64_t vorher = u.fs.syncs();
  ASSERT_EQ(u.v.beginne(), isam_ok);
  std::uint32_t ref;
  ASSERT_TRUE(fb.AddNetRec(ref, satz("Kasse").data()));
  ASSERT_TRUE(fb.AddNetKey(1, ref, "00001000"));
  ASSERT_TRUE(fb.AddNetKey(2, ref, "KASSE"));
  ASSERT_EQ(u.v.bestaetige(), isam_ok);
  EXPECT_EQ(u.fs.syncs() - vorher, 3u);  // journal, data file, index file
}

TEST(IsamDatei, RolledBackAndNestedUnits) {
  Umgebung u;
  IsamFileBlock fb(u.v);
  ASSERT_TRUE(fb.MakeNetFileBlock("SACH", 30, 2, konten));
  std::uint32_t ref;
  ASSERT_EQ(u.v.beginne(), isam_ok);
  ASSERT_EQ(u.v.beginne(), isam_ok);
  ASSERT_TRUE(fb.AddNetRec(ref, satz("Kasse").data()));
  ASSERT_EQ(u.v.bestaetige(), isam_ok);  // inner: nothing written yet
  EXPECT_EQ(u.fs.syncs(), u.fs.syncs());
  EXPECT_FALSE(fb.CloseNetFileBlock());  // not while its unit runs
  u.v.verwerfe();
  EXPECT_EQ(fb.BTUsedRecs(), 0u);
  EXPECT_FALSE(fb.GetNetRec(ref, satz("").data()));
  EXPECT_EQ(u.v.bestaetige(), fehler_einheit);  // none running
}

TEST(IsamDatei, LocksConflictBetweenHandles) {
  Umgebung u;
  IsamFileBlock a(u.v);
  ASSERT_TRUE(a.MakeNetFileBlock("SACH", 30, 2, konten));
  IsamVerzeichnis v2(u.fs, u.v.pfad());
  v2.wartezeit_ms = 0;
  IsamFileBlock b(v2);
  ASSERT_TRUE(b.OpenNetFileBlock("SACH"));

  ASSERT_TRUE(a.LockFileBlock());
  EXPECT_TRUE(a.FileBlockIsLocked());
  EXPECT_FALSE(b.FileBlockIsLocked());
  std::uint32_t ref;
  EXPECT_FALSE(b.AddNetRec(ref, satz("x").data()));
  EXPECT_EQ(b.IsamError, fehler_gesperrt);
  EXPECT_FALSE(b.FindNetKey(1, ref, "1"));  // a read waits for the shared lock too
  EXPECT_EQ(b.IsamError, fehler_gesperrt);
  ASSERT_TRUE(a.AddNetRec(ref, satz("Kasse").data()));  // the holder writes
  ASSERT_TRUE(a.AddNetKey(1, ref, "00001000"));
  ASSERT_TRUE(a.UnLockFileBlock());

  ASSERT_TRUE(b.ReadLockFileBlock());
  EXPECT_TRUE(a.ReadLockFileBlock());  // readers share
  EXPECT_FALSE(a.AddNetRec(ref, satz("y").data()));
  EXPECT_EQ(a.IsamError, fehler_gesperrt);
  // b sees a's committed record although b's cache knew the file before.
  ASSERT_TRUE(b.FindNetKey(1, ref, "00001000"));
  std::string gelesen(30, '\0');
  ASSERT_TRUE(b.GetNetRec(ref, gelesen.data()));
  EXPECT_STREQ(gelesen.c_str(), "Kasse");
}

TEST(IsamDatei, ChangesOfAnotherHandleDropTheCache) {
  Umgebung u;
  IsamFileBlock a(u.v);
  ASSERT_TRUE(a.MakeNetFileBlock("SACH", 30, 2, konten));
  IsamVerzeichnis v2(u.fs, u.v.pfad());
  IsamFileBlock b(v2);
  ASSERT_TRUE(b.OpenNetFileBlock("SACH"));
  std::uint32_t ref;
  EXPECT_EQ(b.BTUsedRecs(), 0u);  // b has the header page in its cache now
  for (int i = 0; i < 300; ++i) {
    ASSERT_TRUE(a.AddNetRec(ref, satz("S" + std::to_string(i)).data()));
    ASSERT_TRUE(a.AddNetKey(1, ref, std::to_string(10000000 + i)));
  }
  EXPECT_EQ(b.BTUsedRecs(), 300u);
  EXPECT_EQ(b.BTUsedKeys(1), 300u);
  ASSERT_TRUE(b.DeleteNetKey(1, 5, std::to_string(10000004)));
  EXPECT_EQ(a.BTUsedKeys(1), 299u);
}

TEST(IsamDatei, AFlippedByteInTheIndexIsFoundAndTheRebuildRestoresEveryKey) {
  Umgebung u;
  auto schluessel_von = [](const char* s, int nr) {
    std::string text(s);
    return nr == 1 ? text.substr(0, 8) : text.substr(8);
  };
  std::vector<std::pair<std::string, std::uint32_t>> vorher1, vorher2;
  {
    IsamFileBlock fb(u.v);
    ASSERT_TRUE(fb.MakeNetFileBlock("SACH", 30, 2, konten));
    ASSERT_EQ(u.v.beginne(), isam_ok);
    for (int i = 0; i < 2000; ++i) {
      std::string s = satz(std::to_string(10000000 + i) + "NAME" + std::to_string(i % 7));
      std::uint32_t ref;
      ASSERT_TRUE(fb.AddNetRec(ref, s.data()));
      ASSERT_TRUE(fb.AddNetKey(1, ref, schluessel_von(s.data(), 1)));
      ASSERT_TRUE(fb.AddNetKey(2, ref, schluessel_von(s.data(), 2)));
    }
    for (std::uint32_t ref = 1; ref <= 2000; ref += 3) {
      std::string s(30, '\0');
      ASSERT_TRUE(fb.GetNetRec(ref, s.data()));
      ASSERT_TRUE(fb.DeleteNetKey(1, ref, schluessel_von(s.data(), 1)));
      ASSERT_TRUE(fb.DeleteNetKey(2, ref, schluessel_von(s.data(), 2)));
      ASSERT_TRUE(fb.DeleteNetRec(ref));
    }
    ASSERT_EQ(u.v.bestaetige(), isam_ok);
    for (int nr : {1, 2}) {
      auto& ziel = nr == 1 ? vorher1 : vorher2;
      std::uint32_t ref;
      std::string key;
      while (fb.NextNetKey(nr, ref, key)) ziel.emplace_back(key, ref);
    }
  }
  // Flip one byte in the middle of an index page.
  {
    std::unique_ptr<Datei> d;
    ASSERT_TRUE(u.fs.oeffnen("/mandant/001/2007/SACH.IX", Oeffnen::LesenSchreiben, d));
    std::string b;
    ASSERT_TRUE(d->lesen(5 * 4096 + 100, 1, b));
    b[0] = static_cast<char>(b[0] ^ 0x10);
    ASSERT_TRUE(d->schreiben(5 * 4096 + 100, b));
  }
  IsamFileBlock fb(u.v);
  EXPECT_FALSE(fb.OpenNetFileBlock("SACH"));
  EXPECT_EQ(fb.IsamError, fehler_index_defekt);

  long fortschritt = 0;
  std::uint64_t doppelte = 99;
  ASSERT_EQ(RebuildFileBlock(
                u.v, "SACH", 30, 2, konten, schluessel_von, [&] { ++fortschritt; }, {}, &doppelte),
            isam_ok);
  EXPECT_EQ(fortschritt, 2 * 1333);  // once per record and key
  EXPECT_EQ(doppelte, 0u);
  ASSERT_TRUE(fb.OpenNetFileBlock("SACH")) << fb.IsamError;
  for (int nr : {1, 2}) {
    std::vector<std::pair<std::string, std::uint32_t>> nachher;
    std::uint32_t ref;
    std::string key;
    while (fb.NextNetKey(nr, ref, key)) nachher.emplace_back(key, ref);
    EXPECT_EQ(nachher, nr == 1 ? vorher1 : vorher2);
  }
  EXPECT_EQ(fb.BTUsedRecs(), 1333u);
  // The rebuilt free chain gives the lowest free slot first.
  std::uint32_t ref;
  ASSERT_TRUE(fb.AddNetRec(ref, satz("neu").data()));
  EXPECT_EQ(ref, 1u);
  ASSERT_TRUE(fb.AddNetKey(1, ref, "00000001"));
  ASSERT_TRUE(fb.FindNetKey(1, ref, "00000001"));
}

TEST(IsamDatei, RebuildFromAnotherRecordSourceAndOfAMissingIndex) {
  Umgebung u;
  {
    IsamFileBlock fb(u.v);
    ASSERT_TRUE(fb.MakeNetFileBlock("BUCHUNG", 4, 1, {{4, true}}));
  }
  ASSERT_TRUE(u.fs.loeschen("/mandant/001/2007/BUCHUNG.IX"));
  IsamFileBlock fb(u.v);
  EXPECT_FALSE(fb.OpenNetFileBlock("BUCHUNG"));
  EXPECT_EQ(fb.IsamError, fehler_index_defekt);
  // The records live elsewhere (as the bookings do in BUCHUNG.DA1).
  Satzquelle quelle = [](const std::function<void(std::uint32_t, const char*)>& nimm) {
    for (std::uint32_t n = 1; n <= 50; ++n) {
      std::string s = LongToKey(static_cast<std::int32_t>(n % 5));
      nimm(n, s.data());
    }
    return static_cast<int>(isam_ok);
  };
  ASSERT_EQ(RebuildFileBlock(
                u.v, "BUCHUNG", 4, 1, {{4, true}},
                [](const char* s, int) { return std::string(s, 4); }, {}, quelle),
            isam_ok);
  ASSERT_TRUE(fb.OpenNetFileBlock("BUCHUNG"));
  EXPECT_EQ(fb.BTUsedKeys(1), 50u);
  std::uint32_t ref;
  ASSERT_TRUE(fb.FindNetKey(1, ref, LongToKey(3)));
  EXPECT_EQ(ref, 3u);
}

TEST(Festsatzdatei, FixedRecordsAppendReadAndTruncate) {
  Umgebung u;
  Festsatzdatei p(u.v);
  EXPECT_FALSE(p.oeffnen("BUCHUNG.DA1", 321, false));
  EXPECT_EQ(p.IsamError, fehler_dateien_fehlen);
  ASSERT_TRUE(p.oeffnen("BUCHUNG.DA1", 321, true));
  EXPECT_EQ(p.anzahl(), 0u);
  for (int i = 1; i <= 30; ++i)
    ASSERT_TRUE(p.schreiben(static_cast<std::uint64_t>(i),
                            satz("Buchung " + std::to_string(i), 321).data()));
  EXPECT_FALSE(p.schreiben(32, satz("Lücke", 321).data()));
  EXPECT_EQ(p.IsamError, fehler_satzreferenz);
  std::string b(321, '\0');
  ASSERT_TRUE(p.lesen(17, b.data()));
  EXPECT_STREQ(b.c_str(), "Buchung 17");
  ASSERT_TRUE(p.kuerzen(12));
  EXPECT_EQ(p.anzahl(), 12u);
  EXPECT_FALSE(p.lesen(13, b.data()));
  ASSERT_TRUE(p.schreiben(13, satz("Buchung neu", 321).data()));
  p.schliessen();

  std::string roh;
  ASSERT_TRUE(u.fs.lies_datei("/mandant/001/2007/BUCHUNG.DA1", roh));
  ASSERT_EQ(roh.size(), 13u * 321u);  // no header, exactly the records
  EXPECT_STREQ(roh.c_str() + 12 * 321, "Buchung neu");

  ASSERT_TRUE(u.fs.schreibe_datei_atomar("/mandant/001/2007/KAPUTT.DA1", std::string(500, 'x')));
  Festsatzdatei k(u.v);
  EXPECT_FALSE(k.oeffnen("kaputt.da1", 321, false));
  EXPECT_EQ(k.IsamError, fehler_daten_defekt);
}

TEST(Festsatzdatei, ScansSeeTheUnitAndLeaveTheCacheAlone) {
  Umgebung u;
  auto text = [](int i) { return "Buchung " + std::to_string(i); };
  {
    Festsatzdatei p(u.v);
    ASSERT_TRUE(p.oeffnen("BUCHUNG.DA1", 321, true));
    for (int i = 1; i <= 40; ++i)
      ASSERT_TRUE(p.schreiben(static_cast<std::uint64_t>(i), satz(text(i), 321).data()));
  }
  Festsatzdatei p(u.v);
  ASSERT_TRUE(p.oeffnen("BUCHUNG.DA1", 321, false));
  std::string alle(41 * 321, '\x7f');
  auto record = [&](int i) { return std::string(alle.c_str() + (i - 1) * 321); };
  ASSERT_TRUE(p.lesen_mehrere(1, 40, alle.data()));
  for (int i : {1, 13, 40}) EXPECT_EQ(record(i), text(i));
  EXPECT_EQ(p.seiten_im_cache(), 0u);
  // Within a unit a scan sees its changes: a changed record (its page is
  // cached, the ones around it are not), an appended one, a cut.
  std::string b(321, '\0');
  ASSERT_TRUE(p.lesen(20, b.data()));  // one page in the cache
  ASSERT_EQ(u.v.beginne(), isam_ok);
  ASSERT_TRUE(p.schreiben(13, satz("geändert", 321).data()));
  ASSERT_TRUE(p.schreiben(41, satz("neu", 321).data()));
  ASSERT_TRUE(p.lesen_mehrere(1, 41, alle.data()));
  EXPECT_EQ(record(13), "geändert");
  EXPECT_EQ(record(20), text(20));
  EXPECT_EQ(record(39), text(39));
  EXPECT_EQ(record(41), "neu");
  ASSERT_TRUE(p.kuerzen(30));
  EXPECT_FALSE(p.lesen_mehrere(1, 31, alle.data()));
  ASSERT_TRUE(p.lesen_mehrere(25, 6, alle.data()));
  EXPECT_EQ(record(6), text(30));
  u.v.verwerfe();
  // Rolled back: the file as before.
  ASSERT_EQ(p.anzahl(), 40u);
  ASSERT_TRUE(p.lesen_mehrere(1, 40, alle.data()));
  EXPECT_EQ(record(13), text(13));
  EXPECT_EQ(record(40), text(40));
}

TEST(IsamDatei, RealFilesOnDisk) {
  Testverzeichnis tmp;
  auto fs = echtes_dateisystem();
  IsamVerzeichnis v(*fs, tmp.pfad());
  {
    IsamFileBlock fb(v);
    ASSERT_TRUE(fb.MakeNetFileBlock("PERSONEN", 30, 2, konten));
    std::uint32_t ref;
    ASSERT_TRUE(fb.AddNetRec(ref, satz("Müller").data()));
    ASSERT_TRUE(fb.AddNetKey(1, ref, "00010000"));
  }
  IsamVerzeichnis v2(*fs, tmp.pfad());
  IsamFileBlock fb(v2);
  ASSERT_TRUE(fb.OpenNetFileBlock("PERSONEN"));
  std::uint32_t ref;
  ASSERT_TRUE(fb.FindNetKey(1, ref, "00010000"));
  std::string s(30, '\0');
  ASSERT_TRUE(fb.GetNetRec(ref, s.data()));
  EXPECT_STREQ(s.c_str(), "Müller");
}

}  // namespace
}  // namespace fibu::isam

namespace fibu::isam {
namespace {

TEST(IsamDatei, ClosingAFileInTheMiddleOfAUnitSpoilsTheUnit) {
  Umgebung u;
  IsamFileBlock a(u.v);
  ASSERT_TRUE(a.MakeNetFileBlock("A", 30, 2, konten));
  ASSERT_EQ(u.v.beginne(), isam_ok);
  std::uint32_t ref;
  ASSERT_TRUE(a.AddNetRec(ref, satz("x").data()));
  {
    auto b = std::make_unique<IsamFileBlock>(u.v);
    ASSERT_TRUE(b->MakeNetFileBlock("B", 30, 2, konten));
    ASSERT_TRUE(b->AddNetRec(ref, satz("y").data()));
  }  // destroyed with its writes pending
  EXPECT_EQ(u.v.bestaetige(), fehler_einheit);
  EXPECT_EQ(a.BTUsedRecs(), 0u);  // nothing of the unit was written
}

}  // namespace
}  // namespace fibu::isam

namespace fibu::isam {
namespace {

// After a commit whose "empty" mark was never synced, a rebuild replaces
// the index; a power loss at any point of it must not replay the old unit
// onto the new index (which would mix two trees unnoticed).
TEST(IsamDatei, AnOldJournalIsNotReplayedOntoARebuiltIndex) {
  auto key_von = [](const char* s, int) { return std::string(s, 8); };
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE("Absturz beim " + std::to_string(n) + ". Schreibvorgang des Neuaufbaus");
    TestDateisystem fs;
    ASSERT_TRUE(fs.verzeichnis_anlegen("/d"));
    bool fertig;
    {
      IsamVerzeichnis v(fs, "/d");
      v.wartezeit_ms = 0;
      IsamFileBlock fb(v);
      ASSERT_TRUE(fb.MakeNetFileBlock("X", 8, 1, {{8, false}}));
      // One unit per key: the journal holds the last small unit, whose
      // pages fit the old tree only.
      for (int i = 0; i < 300; ++i) {
        std::string s = std::to_string(10000000 + (i * 7) % 300);
        std::uint32_t ref;
        ASSERT_TRUE(fb.AddNetRec(ref, s.data()));
        ASSERT_TRUE(fb.AddNetKey(1, ref, s));
      }
      ASSERT_TRUE(fb.CloseNetFileBlock());
      fs.stoere(n, TestDateisystem::Stoerung::Absturz);
      fertig = RebuildFileBlock(v, "X", 8, 1, {{8, false}}, key_von) == isam_ok;
    }
    fs.absturz(TestDateisystem::Verbleib::Nichts);
    IsamVerzeichnis v(fs, "/d");
    IsamFileBlock fb(v);
    if (!fb.OpenNetFileBlock("X")) {
      ASSERT_EQ(fb.IsamError, fehler_index_defekt);
      ASSERT_EQ(RebuildFileBlock(v, "X", 8, 1, {{8, false}}, key_von), isam_ok);
      ASSERT_TRUE(fb.OpenNetFileBlock("X"));
    }
    std::uint32_t ref;
    std::string key;
    int i = 0;
    while (fb.NextNetKey(1, ref, key)) ASSERT_EQ(key, std::to_string(10000000 + i++));
    ASSERT_EQ(i, 300);
    ASSERT_EQ(fb.BTUsedKeys(1), 300u);
    if (fertig) break;
  }
}

}  // namespace
}  // namespace fibu::isam
