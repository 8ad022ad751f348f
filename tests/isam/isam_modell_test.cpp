// Long random sequences of record and key operations against a simple
// in-memory model: the data file is a slot array with a LIFO free list, each
// key an ordered set of (key, reference).
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <set>

#include "isam/isam.h"
#include "suite/test_dateisystem.h"

namespace fibu::isam {
namespace {

constexpr std::uint32_t satzgroesse = 24;

struct Modell {
  std::map<std::uint32_t, std::string> saetze;
  std::vector<std::uint32_t> frei;  // top = next reused
  std::uint32_t slots = 0;
  std::vector<std::set<std::pair<std::string, std::uint32_t>>> keys;
  std::vector<std::optional<std::pair<std::string, std::uint32_t>>> position;

  explicit Modell(int anzahl)
      : keys(static_cast<std::size_t>(anzahl + 1)),
        position(static_cast<std::size_t>(anzahl + 1)) {}

  std::uint32_t naechste_ref() const { return frei.empty() ? slots + 1 : frei.back(); }
};

struct Fall {
  const char* name;
  Schluesseltabelle tabelle;
  bool null_keys;
  std::size_t mindestens;  // entries the largest key must reach (several leaves)
};

void PrintTo(const Fall& f, std::ostream* os) {
  *os << f.name;
}

class IsamModell : public ::testing::TestWithParam<Fall> {};

std::string zufallskey(std::mt19937& z, int laenge) {
  // A small alphabet with 0x00 and 0xFF makes equal keys and prefix cases likely.
  static const char zeichen[] = {'\0', '\x01', 'A', 'B', 'z', '\x7F', '\x80', '\xFF'};
  int n =
      static_cast<int>(z() % static_cast<unsigned>(laenge + 2));  // may be longer than the key: cut
  std::string k;
  for (int i = 0; i < n; ++i) k.push_back(zeichen[z() % 8]);
  return k;
}

TEST_P(IsamModell, AgreesWithTheModelAtEveryStep) {
  const Fall& fall = GetParam();
  const int anzahl = static_cast<int>(fall.tabelle.size());
  TestDateisystem fs;
  ASSERT_TRUE(fs.verzeichnis_anlegen("/daten"));
  IsamVerzeichnis v(fs, "/daten");
  v.wartezeit_ms = 0;
  v.cache_seiten = 64;  // small, so pages are evicted and read again
  auto fb = std::make_unique<IsamFileBlock>(v);
  ASSERT_TRUE(fb->MakeNetFileBlock("TEST", satzgroesse, anzahl, fall.tabelle)) << fb->IsamError;
  fb->AddNullKeys = fall.null_keys;
  Modell m(anzahl);
  std::mt19937 z(4711);

  auto schneide = [&](int nr, const std::string& k) {
    return k.substr(0, fall.tabelle[static_cast<std::size_t>(nr - 1)].laenge);
  };
  auto irgendein_satz = [&]() -> std::optional<std::uint32_t> {
    if (m.saetze.empty()) return std::nullopt;
    auto it = m.saetze.begin();
    std::advance(it, static_cast<long>(z() % m.saetze.size()));
    return it->first;
  };
  auto irgendein_eintrag = [&](int nr) -> std::optional<std::pair<std::string, std::uint32_t>> {
    auto& s = m.keys[static_cast<std::size_t>(nr)];
    if (s.empty()) return std::nullopt;
    auto it = s.begin();
    std::advance(it, static_cast<long>(z() % s.size()));
    return *it;
  };

  const int schritte = 40000;
  std::size_t meiste_keys = 0;
  for (int schritt = 0; schritt < schritte; ++schritt) {
    SCOPED_TRACE("Schritt " + std::to_string(schritt));
    int nr = 1 + static_cast<int>(z() % static_cast<unsigned>(anzahl));
    int laenge = fall.tabelle[static_cast<std::size_t>(nr - 1)].laenge;
    bool dup = fall.tabelle[static_cast<std::size_t>(nr - 1)].duplikate;
    auto& keys = m.keys[static_cast<std::size_t>(nr)];
    // Grow in the first half, shrink in the second, so trees gain and lose levels.
    bool wachsen = schritt < schritte / 2;
    meiste_keys = std::max(meiste_keys, keys.size());
    unsigned art = z() % 100;

    if (art < 12) {  // add a record
      std::string satz(satzgroesse, static_cast<char>('a' + z() % 26));
      std::uint32_t ref = 0;
      ASSERT_TRUE(fb->AddNetRec(ref, satz.data())) << fb->IsamError;
      ASSERT_EQ(ref, m.naechste_ref());
      if (!m.frei.empty()) {
        m.frei.pop_back();
      } else {
        ++m.slots;
      }
      m.saetze[ref] = satz;
    } else if (art < 16) {  // delete a record, or a reference that is none
      auto ref = irgendein_satz();
      if (ref && (wachsen ? z() % 3 == 0 : true)) {
        ASSERT_TRUE(fb->DeleteNetRec(*ref));
        m.saetze.erase(*ref);
        m.frei.push_back(*ref);
      } else {
        EXPECT_FALSE(fb->DeleteNetRec(m.slots + 1));
        EXPECT_EQ(fb->IsamError, fehler_satzreferenz);
      }
    } else if (art < 20) {  // read and overwrite
      auto ref = irgendein_satz();
      if (!ref) continue;
      std::string gelesen(satzgroesse, '\0');
      ASSERT_TRUE(fb->GetNetRec(*ref, gelesen.data()));
      ASSERT_EQ(gelesen, m.saetze[*ref]);
      std::string neu(satzgroesse, static_cast<char>('A' + z() % 26));
      ASSERT_TRUE(fb->PutNetRec(*ref, neu.data()));
      m.saetze[*ref] = neu;
    } else if (art < (wachsen ? 55u : 35u)) {  // add a key
      std::string key = zufallskey(z, laenge);
      std::uint32_t ref = 1 + z() % 5000;
      if (!dup && z() % 4 == 0) {
        if (auto e = irgendein_eintrag(nr)) key = e->first;  // provoke the duplicate
      }
      std::string k = schneide(nr, key);
      bool erwartet_ok;
      bool eingetragen = false;
      if (k.empty() && !fall.null_keys) {
        erwartet_ok = true;
      } else if (dup) {
        erwartet_ok = !keys.count({k, ref});
        eingetragen = erwartet_ok;
      } else {
        auto it = keys.lower_bound({k, 0});
        erwartet_ok = it == keys.end() || it->first != k;
        eingetragen = erwartet_ok;
      }
      ASSERT_EQ(fb->AddNetKey(nr, ref, key), erwartet_ok);
      if (!erwartet_ok) {
        ASSERT_EQ(fb->IsamError, fehler_schluessel_doppelt);
      }
      if (eingetragen) keys.insert({k, ref});
    } else if (art < 70) {  // delete a key (mostly existing ones)
      auto e = irgendein_eintrag(nr);
      if (e && z() % 5 != 0) {
        ASSERT_TRUE(fb->DeleteNetKey(nr, e->second, e->first)) << fb->IsamError;
        keys.erase(*e);
      } else {
        std::string key = schneide(nr, zufallskey(z, laenge));
        std::uint32_t ref = 1 + z() % 5000;
        bool da = keys.count({key, ref}) > 0;
        ASSERT_EQ(fb->DeleteNetKey(nr, ref, key), da);
        if (da) {
          keys.erase({key, ref});
        } else {
          ASSERT_EQ(fb->IsamError, fehler_schluessel_fehlt);
        }
      }
    } else if (art < 76) {  // exact and lower-bound search
      std::string key = schneide(nr, zufallskey(z, laenge));
      if (auto e = irgendein_eintrag(nr); e && z() % 2) key = e->first;
      std::uint32_t ref = 0;
      auto it = keys.lower_bound({key, 0});
      bool gefunden = it != keys.end() && it->first == key;
      ASSERT_EQ(fb->FindNetKey(nr, ref, key), gefunden);
      if (gefunden) {
        ASSERT_EQ(ref, it->second);
        m.position[static_cast<std::size_t>(nr)] = *it;
      }
      std::string such = key;
      ASSERT_EQ(fb->SearchNetKey(nr, ref, such), it != keys.end());
      if (it != keys.end()) {
        ASSERT_EQ(such, it->first);
        ASSERT_EQ(ref, it->second);
        m.position[static_cast<std::size_t>(nr)] = *it;
      }
      ASSERT_EQ(fb->NetKeyExists(nr, it != keys.end() ? it->second : 1, key),
                gefunden && it != keys.end());
    } else if (art < 80) {  // position on an entry, maybe delete it, then step
      auto e = irgendein_eintrag(nr);
      if (!e) continue;
      ASSERT_TRUE(fb->FindNetKeyAndRef(nr, e->second, e->first));
      m.position[static_cast<std::size_t>(nr)] = *e;
      if (z() % 2) {
        ASSERT_TRUE(fb->DeleteNetKey(nr, e->second, e->first));
        keys.erase(*e);
      }
    } else if (art < 96) {  // step forward or back several times across equal keys
      bool vor = z() % 2;
      auto& pos = m.position[static_cast<std::size_t>(nr)];
      for (int i = 0; i < 1 + static_cast<int>(z() % 6); ++i) {
        std::optional<std::pair<std::string, std::uint32_t>> erwartet;
        if (vor) {
          auto it = pos ? keys.upper_bound(*pos) : keys.begin();
          if (it != keys.end()) erwartet = *it;
        } else {
          auto it = pos ? keys.lower_bound(*pos) : keys.end();
          if (it != keys.begin()) erwartet = *std::prev(it);
        }
        std::uint32_t ref = 0;
        std::string key;
        bool ok = vor ? fb->NextNetKey(nr, ref, key) : fb->PrevNetKey(nr, ref, key);
        ASSERT_EQ(ok, erwartet.has_value());
        if (!ok) {
          ASSERT_EQ(fb->IsamError, fehler_indexende);
          break;
        }
        ASSERT_EQ(key, erwartet->first);
        ASSERT_EQ(ref, erwartet->second);
        pos = erwartet;
      }
    } else if (art < 98) {  // counts
      ASSERT_EQ(fb->BTUsedRecs(), m.saetze.size());
      ASSERT_EQ(fb->BTUsedKeys(nr), keys.size());
    } else if (art < 99) {  // a unit of work that is rolled back changes nothing
      ASSERT_EQ(v.beginne(), isam_ok);
      std::uint32_t ref;
      std::string satz(satzgroesse, 'r');
      ASSERT_TRUE(fb->AddNetRec(ref, satz.data()));
      ASSERT_TRUE(fb->AddNetKey(nr, ref, "rollback"));
      v.verwerfe();
    } else {  // close and open again: everything persisted
      fb.reset();
      fb = std::make_unique<IsamFileBlock>(v);
      ASSERT_TRUE(fb->OpenNetFileBlock("test")) << fb->IsamError;
      fb->AddNullKeys = fall.null_keys;
      for (auto& p : m.position) p.reset();
    }
  }

  // The trees had several levels at their largest.
  EXPECT_GE(meiste_keys, fall.mindestens);
  RecordProperty("meiste_keys", static_cast<int>(meiste_keys));

  // At the end every key set is complete and in order, and every record readable.
  for (int nr = 1; nr <= anzahl; ++nr) {
    fb->ClearKey(nr);
    std::vector<std::pair<std::string, std::uint32_t>> gelesen;
    std::uint32_t ref;
    std::string key;
    while (fb->NextNetKey(nr, ref, key)) gelesen.emplace_back(key, ref);
    using Eintraege = std::vector<std::pair<std::string, std::uint32_t>>;
    auto& soll = m.keys[static_cast<std::size_t>(nr)];
    EXPECT_EQ(gelesen, Eintraege(soll.begin(), soll.end())) << nr;
  }
  for (const auto& [ref, satz] : m.saetze) {
    std::string gelesen(satzgroesse, '\0');
    ASSERT_TRUE(fb->GetNetRec(ref, gelesen.data()));
    EXPECT_EQ(gelesen, satz);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Schluesseltabellen, IsamModell,
    ::testing::Values(
        Fall{"einKurzerEindeutiger", {{2, false}}, true, 30},
        Fall{"zweiMitDuplikaten", {{4, false}, {2, true}}, true, 1000},
        Fall{"dreiLangeOhneLeereKeys", {{30, false}, {30, true}, {8, true}}, false, 1000},
        Fall{"zehnGemischt",
             {{30, false},
              {2, true},
              {3, true},
              {5, false},
              {7, true},
              {11, true},
              {13, false},
              {17, true},
              {19, true},
              {23, true}},
             false,
             300},
        Fall{"langeDuplikate", {{30, true}, {29, true}}, true, 1000}),
    [](const auto& testinfo) { return std::string(testinfo.param.name); });

// Enough entries for trees of three levels, then all removed again.
TEST(IsamBaum, GrowsAndShrinksThroughSeveralLevels) {
  TestDateisystem fs;
  ASSERT_TRUE(fs.verzeichnis_anlegen("/d"));
  IsamVerzeichnis v(fs, "/d");
  v.synchron = false;
  IsamFileBlock fb(v);
  ASSERT_TRUE(fb.MakeNetFileBlock("GROSS", 4, 2, {{30, false}, {30, true}}));
  std::mt19937 z(1);
  std::vector<std::uint32_t> reihe(30000);
  for (std::uint32_t i = 0; i < reihe.size(); ++i) reihe[i] = i;
  std::shuffle(reihe.begin(), reihe.end(), z);
  auto key = [](std::uint32_t i) {
    return std::string(22, 'k') + LongToKey(static_cast<std::int32_t>(i));
  };
  ASSERT_EQ(v.beginne(), isam_ok);
  for (auto i : reihe) {
    ASSERT_TRUE(fb.AddNetKey(1, i + 1, key(i))) << i;
    ASSERT_TRUE(fb.AddNetKey(2, i + 1, "gleich"));
  }
  ASSERT_EQ(v.bestaetige(), isam_ok);
  EXPECT_EQ(fb.BTUsedKeys(1), reihe.size());
  std::uint32_t ref;
  std::string k;
  for (std::uint32_t i = 0; i < reihe.size(); ++i) {
    ASSERT_TRUE(fb.NextNetKey(1, ref, k));
    ASSERT_EQ(k, key(i));
    ASSERT_EQ(ref, i + 1);
    ASSERT_TRUE(fb.NextNetKey(2, ref, k));
    ASSERT_EQ(ref, i + 1);  // duplicates in the order of their references
  }
  ASSERT_EQ(v.beginne(), isam_ok);
  for (auto i : reihe) {
    ASSERT_TRUE(fb.DeleteNetKey(1, i + 1, key(i))) << i;
    ASSERT_TRUE(fb.DeleteNetKey(2, i + 1, "gleich"));
  }
  ASSERT_EQ(v.bestaetige(), isam_ok);
  fb.ClearKey(1);
  EXPECT_FALSE(fb.NextNetKey(1, ref, k));
  EXPECT_EQ(fb.BTUsedKeys(2), 0u);
  // The freed pages are used again.
  std::uint64_t groesse = 0;
  std::unique_ptr<Datei> d;
  ASSERT_TRUE(fs.oeffnen("/d/GROSS.IX", Oeffnen::Lesen, d));
  ASSERT_TRUE(d->groesse(groesse));
  ASSERT_EQ(v.beginne(), isam_ok);
  for (auto i : reihe) ASSERT_TRUE(fb.AddNetKey(1, i + 1, key(i)));
  ASSERT_EQ(v.bestaetige(), isam_ok);
  std::uint64_t danach = 0;
  ASSERT_TRUE(d->groesse(danach));
  EXPECT_EQ(danach, groesse);
}

}  // namespace
}  // namespace fibu::isam
