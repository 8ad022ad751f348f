// A posting cut by a power loss after every possible write: a Debitor
// invoice with its collective account, open item and document number,
// together with its revenue line with tax that activates a new period, in
// one unit; and a single booking that overwrites an invoice line. Whatever
// of the unsynced writes survives, the reopened client holds either all of
// the posting or nothing of it.
#include <gtest/gtest.h>

#include "suite/test_dateisystem.h"
#include "testbuchhaltung.h"

namespace fibu {
namespace {

using Verbleib = TestDateisystem::Verbleib;

// Every record, index entry and the base data of the client as one text.
std::string zustand(Testbuchhaltung& t) {
  std::string aus;
  for (tdatenbank* db :
       {static_cast<tdatenbank*>(t.m->sach.get()), static_cast<tdatenbank*>(t.m->personen.get()),
        static_cast<tdatenbank*>(t.m->opstamm.get()),
        static_cast<tdatenbank*>(t.m->buchung.get())}) {
    auto& fb = db->datei();
    aus += "[" + db->name() + "]\n";
    for (int nr = 1; nr <= db->schluesselanzahl(); ++nr) {
      fb.ClearKey(nr);
      std::uint32_t ref;
      std::string key;
      while (fb.NextNetKey(nr, ref, key)) {
        aus += std::to_string(nr) + ":" + key + "/" + std::to_string(ref) + "\n";
        if (nr == 1 && db->daten_in_datei) {
          std::string satz(db->satzgroesse(), '\0');
          EXPECT_TRUE(fb.GetNetRec(ref, satz.data()));
          aus += satz + "\n";
        }
      }
    }
  }
  auto& bu = *t.m->buchung;
  Satz s(BuchungFelder::groesse);
  for (std::int64_t n = 1; n <= bu.anzahl_buchungen(); ++n) {
    EXPECT_TRUE(bu.buchung_lesen_in(n, s));
    aus += s.bytes();
  }
  aus += t.m->basis.bytes();
  return aus;
}

void vorbereiten(Testbuchhaltung& t) {
  t.anlegen();
  t.buchung("10001", 'S', 11900, "4400", "", 'R', "9500001");
  ASSERT_TRUE(t.kern->buchen(1));
  t.buchung("4400", 'H', 11900, "10001", "1");
  ASSERT_TRUE(t.kern->buchen(2));
}

// The posting under test; false when it failed.
bool buchen(Testbuchhaltung& t, int fall) {
  if (fall == 0) {
    Buchungslauf lauf(*t.kern);
    t.buchung("10002", 'S', 23200, "4400", "", 'R', "9500002", 2, DMYtoDate(3, 2, 2024));
    if (!t.kern->buchen(3)) return false;
    t.buchung("4400", 'H', 23200, "10002", "1", ' ', "9500002", 2, DMYtoDate(3, 2, 2024));
    if (!t.kern->buchen(4)) return false;
    return lauf.ende();
  }
  t.buchung("10002", 'S', 5000, "4400", "", 'R', "9500003");
  return t.kern->buchen(1);
}

TEST(BuchenAbsturz, APostingIsOnDiskWholeOrNotAtAll) {
  for (int fall : {0, 1}) {
    SCOPED_TRACE(fall);
    std::string vorher, nachher;
    {
      TestDateisystem fs;
      Testbuchhaltung t(fs);
      ASSERT_NO_FATAL_FAILURE(vorbereiten(t));
      vorher = zustand(t);
      ASSERT_TRUE(buchen(t, fall));
      t.schliessen();
      t.oeffnen();
      nachher = zustand(t);
    }
    ASSERT_NE(vorher, nachher);
    int alt = 0, neu = 0;
    for (std::uint64_t n = 1;; ++n) {
      SCOPED_TRACE(n);
      ASSERT_LT(n, 1000u);
      TestDateisystem fs;
      Testbuchhaltung t(fs);
      ASSERT_NO_FATAL_FAILURE(vorbereiten(t));
      fs.stoere(n, TestDateisystem::Stoerung::Absturz);
      bool ok = buchen(t, fall);
      bool abgestuerzt = fs.abgestuerzt();
      t.schliessen();  // nothing reaches the disk after the crash
      fs.absturz(Verbleib::Zufall, static_cast<std::uint32_t>(n));
      t.oeffnen();
      std::string danach = zustand(t);
      if (!abgestuerzt) {
        EXPECT_TRUE(ok);
        EXPECT_TRUE(danach == nachher);
        break;
      }
      if (danach == vorher) {
        ++alt;
      } else {
        ++neu;
        EXPECT_TRUE(danach == nachher) << "half a posting after a crash at write " << n;
      }
    }
    EXPECT_GT(alt, 0);
    EXPECT_GT(neu, 0);
  }
}

}  // namespace
}  // namespace fibu
