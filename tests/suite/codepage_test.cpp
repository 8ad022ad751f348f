#include "suite/codepage.h"

#include <gtest/gtest.h>

namespace fibu {
namespace {

const std::string deutsch = "ÄÖÜäöüß";

TEST(Codepage, GermanLettersSurviveEveryCodePage) {
  for (Codepage cp : {Codepage::CP1252, Codepage::CP850, Codepage::ISO8859_1}) {
    std::string bytes = von_utf8(deutsch, cp);
    EXPECT_EQ(bytes.size(), 7u);
    EXPECT_EQ(nach_utf8(bytes, cp), deutsch);
  }
  EXPECT_EQ(von_utf8("Öl", Codepage::CP1252), "\xD6l");
  EXPECT_EQ(von_utf8("Öl", Codepage::CP850), "\x99l");
}

TEST(Codepage, EuroSignWhereTheCodePageHasIt) {
  EXPECT_EQ(von_utf8("€", Codepage::CP1252), "\x80");
  EXPECT_EQ(nach_utf8("\x80", Codepage::CP1252), "€");
  EXPECT_EQ(von_utf8("12 €", Codepage::CP850), "12 ?");
  EXPECT_EQ(von_utf8("€", Codepage::ISO8859_1), "?");
}

TEST(Codepage, EveryCp1252ByteSurvivesARoundTrip) {
  for (int b = 0; b < 256; ++b) {
    std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(von_utf8(nach_utf8(byte, Codepage::CP1252), Codepage::CP1252), byte) << b;
    EXPECT_EQ(von_utf8(nach_utf8(byte, Codepage::CP850), Codepage::CP850), byte) << b;
  }
}

TEST(Codepage, UnmappableAndMalformedInputBecomesQuestionMarks) {
  EXPECT_EQ(von_utf8("a中b", Codepage::CP1252), "a?b");
  EXPECT_EQ(von_utf8("😀", Codepage::CP850), "?");
  EXPECT_EQ(von_utf8("a\xFF"
                     "b",
                     Codepage::CP1252),
            "a?b");
  EXPECT_EQ(von_utf8("a\xC3", Codepage::CP1252), "a?");  // cut sequence at the end
  EXPECT_EQ(von_utf8("\xC3(", Codepage::CP1252), "?(");
  std::string lang(10000, 'x');
  lang += "ä";
  EXPECT_EQ(nach_utf8(von_utf8(lang, Codepage::CP1252), Codepage::CP1252), lang);
}

}  // namespace
}  // namespace fibu
