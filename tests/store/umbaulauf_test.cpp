// Runs that replace whole files: a power loss after every write of a run,
// and again after every write of the repair that follows, leaves the
// directory with every old file or every new one, never a mixture; the
// marker's text, a run given up and a marker that blocks the next run.
#include "store/umbaulauf.h"

#include <gtest/gtest.h>

#include <map>

#include "suite/test_dateisystem.h"

namespace fibu {
namespace {

constexpr const char* verz = "/d";

using Stand = std::map<std::string, std::string>;  // name -> content

const Stand vorher = {{"A.DAT", "alt-a"}, {"B.DAT", "alt-b"}, {"C.DAT", "alt-c"}, {"X.DAT", "x"}};
const Stand nachher = {{"A.DAT", "neu-a"}, {"B.DAT", "neu-b"}, {"X.DAT", "x"}};

void anlegen(TestDateisystem& fs) {
  ASSERT_TRUE(fs.verzeichnis_anlegen(verz).ok());
  for (const auto& [name, inhalt] : vorher)
    ASSERT_TRUE(fs.schreibe_datei_atomar(pfad_verbinden(verz, name), inhalt).ok());
}

Stand stand(TestDateisystem& fs) {
  std::vector<std::string> namen;
  EXPECT_TRUE(fs.liste(verz, namen).ok());
  Stand s;
  for (const auto& n : namen) {
    std::string inhalt;
    EXPECT_TRUE(fs.lies_datei(pfad_verbinden(verz, n), inhalt).ok()) << n;
    s[n] = inhalt;
  }
  return s;
}

Ergebnis schreiben(TestDateisystem& fs, const std::string& pfad, const std::string& inhalt) {
  std::unique_ptr<Datei> d;
  if (Ergebnis e = fs.oeffnen(pfad, Oeffnen::Neu, d); !e) return e;
  if (Ergebnis e = d->schreiben(0, inhalt); !e) return e;
  return d->sync();
}

// The run under test: A and B replaced, C removed; false when it failed.
bool lauf(TestDateisystem& fs) {
  Umbaulauf u(fs, verz);
  return u.beginnen("Der Testlauf", {{"A.DAT", "A.NEU"}, {"B.DAT", "UMBAU.DAT"}}, {"C.DAT"}).ok() &&
         schreiben(fs, u.pfad("A.NEU"), "neu-a").ok() &&
         schreiben(fs, u.pfad("UMBAU.DAT"), "neu-b").ok() && u.umschalten().ok();
}

TEST(Umbaulauf, JederAbsturzEndetVorherOderNachher) {
  {
    TestDateisystem fs;
    anlegen(fs);
    ASSERT_TRUE(lauf(fs));
    EXPECT_EQ(stand(fs), nachher);
  }
  int alt = 0, neu = 0, doppelt = 0;
  for (std::uint64_t n = 1;; ++n) {
    SCOPED_TRACE(n);
    ASSERT_LT(n, 200u);
    TestDateisystem fs;
    anlegen(fs);
    fs.stoere(n, TestDateisystem::Stoerung::Absturz);
    const bool ok = lauf(fs);
    if (!fs.abgestuerzt()) {
      EXPECT_TRUE(ok);
      break;
    }
    fs.absturz(TestDateisystem::Verbleib::Zufall, static_cast<std::uint32_t>(n));
    // The repair itself may be cut off, at any of its writes, and repeated.
    for (std::uint64_t m = 1;; ++m) {
      ASSERT_LT(m, 50u);
      fs.stoere(m, TestDateisystem::Stoerung::Absturz);
      std::optional<Umbaubericht> bericht;
      const Ergebnis e = umbau_aufraeumen(fs, verz, bericht);
      if (!fs.abgestuerzt()) {
        ASSERT_TRUE(e.ok()) << e.text();
        break;
      }
      ++doppelt;
      fs.absturz(TestDateisystem::Verbleib::Zufall, static_cast<std::uint32_t>(n * 100 + m));
    }
    fs.keine_stoerung();
    std::optional<Umbaubericht> bericht;
    ASSERT_TRUE(umbau_aufraeumen(fs, verz, bericht).ok());
    EXPECT_FALSE(bericht);  // nothing left to do
    const Stand s = stand(fs);
    if (s == vorher) {
      ++alt;
    } else {
      ++neu;
      EXPECT_EQ(s, nachher) << "a mixture after a crash at write " << n;
    }
  }
  EXPECT_GT(alt, 0);
  EXPECT_GT(neu, 0);
  EXPECT_GT(doppelt, 0);
}

TEST(Umbaulauf, BerichtKennzeichenUndAufgegebenerLauf) {
  TestDateisystem fs;
  anlegen(fs);
  // Cut off before the switch: undone, with its report.
  {
    Umbaulauf u(fs, verz);
    ASSERT_TRUE(u.beginnen("Der Monatsabschluß", {{"A.DAT", "A.NEU"}}).ok());
    ASSERT_TRUE(schreiben(fs, u.pfad("A.NEU"), "neu-a").ok());
    std::string kennzeichen;
    ASSERT_TRUE(fs.lies_datei(u.pfad(umbau_kennzeichen), kennzeichen).ok());
    EXPECT_EQ(kennzeichen,
              "FIBU-UMBAU 1\nlauf=Der Monatsabschluß\nstand=neu\nersetze=A.DAT|A.NEU\n");
    // A second run waits until the first is cleaned up.
    Umbaulauf zweiter(fs, verz);
    EXPECT_EQ(zweiter.beginnen("Der andere", {{"B.DAT", "B.NEU"}}).code(),
              Ergebnis::Code::Existiert);
    // A run given up (here: left without switching) removes its files.
  }
  EXPECT_EQ(stand(fs), vorher);

  // A marker that says "switch": completed, reported so.
  ASSERT_TRUE(fs.schreibe_datei_atomar("/d/A.NEU", "neu-a").ok());
  ASSERT_TRUE(fs.schreibe_datei_atomar(
                    "/d/UMBAU.MRK",
                    "FIBU-UMBAU 1\nlauf=Der Monatsabschluß\nstand=umschalten\nersetze=A.DAT|A.NEU\n"
                    "entferne=C.DAT\nentferne=FEHLT.DAT\n")
                  .ok());
  std::optional<Umbaubericht> bericht;
  ASSERT_TRUE(umbau_aufraeumen(fs, verz, bericht).ok());
  ASSERT_TRUE(bericht);
  EXPECT_EQ(bericht->meldung(),
            "Der Monatsabschluß wurde unterbrochen und beim Öffnen des Mandanten zu Ende geführt.");
  EXPECT_EQ(stand(fs), (Stand{{"A.DAT", "neu-a"}, {"B.DAT", "alt-b"}, {"X.DAT", "x"}}));

  // A marker that is not ours is not guessed at: an error, files untouched.
  for (const char* falsch :
       {"", "FIBU-UMBAU 1\nlauf=X\n", "FIBU-UMBAU 1\nlauf=X\nstand=halb\n",
        "UMBAU\nlauf=X\nstand=neu\n", "FIBU-UMBAU 1\nlauf=X\nstand=neu\nersetze=A.DAT\n"}) {
    ASSERT_TRUE(fs.schreibe_datei_atomar("/d/UMBAU.MRK", falsch).ok());
    EXPECT_EQ(umbau_aufraeumen(fs, verz, bericht).code(), Ergebnis::Code::Ungueltig) << falsch;
  }
  EXPECT_TRUE(fs.existiert("/d/UMBAU.MRK"));
}

}  // namespace
}  // namespace fibu
