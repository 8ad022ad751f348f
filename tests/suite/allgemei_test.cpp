#include "suite/allgemei.h"

#include <gtest/gtest.h>

namespace fibu {
namespace {

TEST(Allgemei, PadcutCountsCharactersNotBytes) {
  EXPECT_EQ(padcut("Müller", 4), "Müll");
  EXPECT_EQ(padcut("Müller", 8), "Müller  ");
  EXPECT_EQ(zeichenzahl(padcut("Größe €", 7)), 7u);
  EXPECT_EQ(padcut("€€€", 2), "€€");  // never half a character
  EXPECT_EQ(padcut("abc", 0), "");
  EXPECT_EQ(padcut("abc", -1), "");
  EXPECT_EQ(padlinks("Bär", 5), "  Bär");
  EXPECT_EQ(padlinks("Bärenstark", 3), "Bär");
}

TEST(Allgemei, StrayBytesCountAsOneCharacter) {
  std::string kaputt = "a\xC3";  // truncated sequence
  EXPECT_EQ(zeichenzahl(kaputt), 2u);
  EXPECT_EQ(padcut(kaputt, 3), kaputt + " ");
}

TEST(Allgemei, KopyFollowsPascalCopy) {
  EXPECT_EQ(kopy("Straße", 5, 2), "ße");
  EXPECT_EQ(kopy("Straße", 0, 3), "Str");  // index below 1 counts as 1
  EXPECT_EQ(kopy("Straße", 7, 1), "");     // beyond the end
  EXPECT_EQ(kopy("Straße", 4, 100), "aße");
  EXPECT_EQ(kopy("Straße", 2, 0), "");
}

TEST(Allgemei, SpaceTrimAndUpperCase) {
  EXPECT_EQ(space(3), "   ");
  EXPECT_EQ(space(-2), "");
  EXPECT_EQ(trim("  a b  "), "a b");
  EXPECT_EQ(trim_rechts("  a  "), "  a");
  EXPECT_EQ(trim("   "), "");
  EXPECT_EQ(gross("äöü straße"), "ÄÖÜ STRAßE");
}

TEST(Allgemei, WindowsAndDosCodePagesConvertBothWays) {
  // "Ä", "ß", "é" in CP1252 and in CP850.
  const std::string cp1252 = "\xC4\xDF\xE9";
  const std::string cp850 = "\x8E\xE1\x82";
  EXPECT_EQ(ansitoasciistr(cp1252), cp850);
  EXPECT_EQ(asciitoansistr(cp850), cp1252);
  EXPECT_EQ(ansitoasciistr("\x80"), "?");  // no Euro sign in CP850
}

}  // namespace
}  // namespace fibu
