// The chart templates a new client takes its general ledger accounts from.
// Account lists print only the first name line, cut to 25 characters, so that
// line has to be a name of its own: no word split over both lines, no line
// that stops on a hyphen or on a word waiting for its continuation.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace fibu {
namespace {

// Read from the source tree: the tests are not given the data directory.
std::string musterverzeichnis() {
  const std::string datei = __FILE__;
  return datei.substr(0, datei.rfind("/tests/")) + "/data/muster/";
}

std::string ohne_rand(const std::string& s) {
  const std::size_t a = s.find_first_not_of(" \t\r");
  if (a == std::string::npos) return "";
  return s.substr(a, s.find_last_not_of(" \t\r") - a + 1);
}

std::size_t zeichen(const std::string& utf8) {
  std::size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
  return n;
}

std::string erstes_wort(const std::string& s) {
  return s.substr(0, s.find(' '));
}

std::string letztes_wort(const std::string& s) {
  const std::size_t p = s.rfind(' ');
  return p == std::string::npos ? s : s.substr(p + 1);
}

bool beginnt_klein(const std::string& s) {
  if (!s.empty() && s[0] >= 'a' && s[0] <= 'z') return true;
  for (const char* umlaut : {"ä", "ö", "ü", "ß"})
    if (s.rfind(umlaut, 0) == 0) return true;
  return false;
}

// Words a first line must not stop on.
const std::set<std::string> offene_enden{"und", "oder", "aus", "an",   "auf",  "für", "gegen",
                                         "mit", "von",  "zu",  "über", "bei",  "im",  "in",
                                         "des", "der",  "die", "das",  "nach", "vor", "ohne"};

// Words a second line may start with in lower case; anything else in lower
// case is the rest of a word split off the first line.
const std::set<std::string> anschluesse{"und",       "oder", "aus",  "an",  "auf",  "für", "gegen",
                                        "gegenüber", "mit",  "von",  "zu",  "über", "bei", "im",
                                        "in",        "des",  "der",  "die", "das",  "u.",  "a.",
                                        "i.",        "z.",   "nach", "ohne"};

TEST(Kontenrahmen, ErsteBezeichnungJedesMusterkontosStehtFuerSich) {
  for (const char* muster : {"skr01.txt", "skr03.txt", "skr04.txt"}) {
    SCOPED_TRACE(muster);
    std::ifstream ein(musterverzeichnis() + muster, std::ios::binary);
    ASSERT_TRUE(ein.is_open()) << musterverzeichnis() + muster;
    int konten = 0;
    std::string zeile;
    while (std::getline(ein, zeile)) {
      zeile = ohne_rand(zeile);
      if (zeile.empty() || zeile[0] == '#') continue;
      std::vector<std::string> f;
      for (std::size_t start = 0;;) {
        const std::size_t strich = zeile.find('|', start);
        f.push_back(ohne_rand(zeile.substr(start, strich - start)));
        if (strich == std::string::npos) break;
        start = strich + 1;
      }
      ASSERT_EQ(f.size(), 8u) << zeile;
      ++konten;
      const std::string& b1 = f[1];
      const std::string& b2 = f[2];
      SCOPED_TRACE("Konto " + f[0] + ": " + b1 + "|" + b2);
      ASSERT_FALSE(b1.empty());
      EXPECT_LE(zeichen(b1), 25u) << b1;
      EXPECT_NE(b1.back(), '-') << b1;
      EXPECT_NE(b1.back(), ',') << b1;
      EXPECT_EQ(offene_enden.count(letztes_wort(b1)), 0u) << b1;
      EXPECT_LE(zeichen(b2), 25u) << b2;
      if (beginnt_klein(b2)) {
        EXPECT_EQ(anschluesse.count(erstes_wort(b2)), 1u) << b2;
      }
    }
    EXPECT_GT(konten, 50);
  }
}

}  // namespace
}  // namespace fibu
