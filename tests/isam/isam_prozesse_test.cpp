// Two processes on the same real files: one writes units of work under the
// exclusive lock, the other reads under the shared lock and must only ever
// see whole units of whole records.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "../suite/testverzeichnis.h"
#include "isam/isam.h"

namespace fibu::isam {
namespace {

constexpr std::uint32_t groesse = 200;
constexpr int einheiten = 40, je_einheit = 10;
const Schluesseltabelle tabelle = {{4, false}, {10, true}};

// A record whose every byte depends on its number, so a torn record shows.
std::string satz(int n) {
  std::string s(groesse, '\0');
  for (std::uint32_t i = 0; i < groesse; ++i)
    s[i] = static_cast<char>((n * 31 + static_cast<int>(i)) & 0xFF);
  std::memcpy(s.data(), &n, sizeof n);
  return s;
}

int schreiber(const std::string& pfad) {
  auto fs = echtes_dateisystem();
  IsamVerzeichnis v(*fs, pfad);
  IsamFileBlock fb(v);
  if (!fb.OpenNetFileBlock("LOG")) return 2;
  int n = 0;
  for (int e = 0; e < einheiten; ++e) {
    if (v.beginne() != isam_ok) return 3;
    for (int i = 0; i < je_einheit; ++i, ++n) {
      std::uint32_t ref;
      std::string s = satz(n);
      if (!fb.AddNetRec(ref, s.data()) || !fb.AddNetKey(1, ref, LongToKey(n)) ||
          !fb.AddNetKey(2, ref, "Einheit" + std::to_string(e % 3)))
        return 4;
    }
    if (v.bestaetige() != isam_ok) return 5;
  }
  return 0;
}

TEST(IsamProzesse, AReaderSeesOnlyWholeCommittedUnits) {
  Testverzeichnis tmp;
  {
    auto fs = echtes_dateisystem();
    IsamVerzeichnis v(*fs, tmp.pfad());
    IsamFileBlock fb(v);
    ASSERT_TRUE(fb.MakeNetFileBlock("LOG", groesse, 2, tabelle));
  }
  pid_t kind = ::fork();
  ASSERT_GE(kind, 0);
  if (kind == 0) ::_exit(schreiber(tmp.pfad()));

  auto fs = echtes_dateisystem();
  IsamVerzeichnis v(*fs, tmp.pfad());
  IsamFileBlock fb(v);
  ASSERT_TRUE(fb.OpenNetFileBlock("LOG"));
  int status = 0;
  bool fertig = false;
  std::uint32_t zuletzt = 0;
  int durchgaenge = 0;
  while (!fertig || durchgaenge == 0) {
    fertig = ::waitpid(kind, &status, WNOHANG) == kind;
    ASSERT_TRUE(fb.ReadLockFileBlock()) << fb.IsamError;
    std::uint32_t anzahl = fb.BTUsedRecs();
    ASSERT_EQ(anzahl % je_einheit, 0u) << "half a unit visible";
    ASSERT_GE(anzahl, zuletzt);
    ASSERT_EQ(fb.BTUsedKeys(1), anzahl);
    ASSERT_EQ(fb.BTUsedKeys(2), anzahl);
    fb.ClearKey(1);
    std::uint32_t ref;
    std::string key;
    int n = 0;
    std::string gelesen(groesse, '\0');
    while (fb.NextNetKey(1, ref, key)) {
      ASSERT_EQ(KeyToLong(key), n);
      ASSERT_TRUE(fb.GetNetRec(ref, gelesen.data()));
      ASSERT_EQ(gelesen, satz(n)) << "torn record " << n;
      ++n;
    }
    ASSERT_EQ(static_cast<std::uint32_t>(n), anzahl);
    ASSERT_TRUE(fb.UnLockFileBlock());
    zuletzt = anzahl;
    ++durchgaenge;
  }
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0);
  // After the writer's last commit the reader sees everything.
  EXPECT_EQ(fb.BTUsedRecs(), static_cast<std::uint32_t>(einheiten * je_einheit));
  RecordProperty("durchgaenge", durchgaenge);
}

}  // namespace
}  // namespace fibu::isam
