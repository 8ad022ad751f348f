#include "suite/betrag.h"

#include <gtest/gtest.h>

namespace fibu {
namespace {

TEST(Betrag, RundGoesToTheEvenCentOnHalves) {
  EXPECT_EQ(rund(0.5L), 0);
  EXPECT_EQ(rund(1.5L), 2);
  EXPECT_EQ(rund(2.5L), 2);
  EXPECT_EQ(rund(3.5L), 4);
  EXPECT_EQ(rund(2.4999L), 2);
  EXPECT_EQ(rund(2.5001L), 3);
  EXPECT_EQ(rund(-0.5L), 0);
  EXPECT_EQ(rund(-1.5L), -2);
  EXPECT_EQ(rund(-2.5L), -2);
  EXPECT_EQ(rund(-2.6L), -3);
  EXPECT_EQ(rund(123456789012.5L), 123456789012);
}

TEST(Betrag, RundOfTaxComputationsMatchesTheExactValue) {
  // 19 % out of 1.19 Euro gross is exactly 19 cents; 7 % of 0.50 is 3.5 cents -> 4.
  EXPECT_EQ(rund(119.0L * 1900 / 11900), 19);
  EXPECT_EQ(rund(50.0L * 700 / 10000), 4);
  EXPECT_EQ(rund(150.0L * 700 / 10000), 10);  // 10.5 -> 10
}

TEST(Betrag, DeutscheMarkAndEuroAtTheOfficialRate) {
  EXPECT_EQ(dm2euro(195583), 100000);
  EXPECT_EQ(euro2dm(100000), 195583);
  EXPECT_EQ(dm2euro(100), 51);   // 1 DM = 0.5113 Euro
  EXPECT_EQ(euro2dm(100), 196);  // 1 Euro = 1.95583 DM
  EXPECT_EQ(dm2euro(-100), -51);
  EXPECT_EQ(dm2euro(0), 0);
  EXPECT_EQ(euro2dm(50000), 97792);  // 977.915 -> 977.92 (nearest cent, not a tie)
  EXPECT_EQ(euro2dm(5), 10);         // 9.77915 Pf
}

TEST(Betrag, ExactHalfPfennigsGoToTheEvenPfennig) {
  int ties = 0;
  for (std::int64_t e = 1; e < 400000; ++e) {
    std::int64_t produkt = e * 195583;
    if (produkt % 100000 != 50000) continue;
    ++ties;
    std::int64_t unten = produkt / 100000;
    EXPECT_EQ(euro2dm(e), unten % 2 == 0 ? unten : unten + 1) << e;
    EXPECT_EQ(euro2dm(-e), -euro2dm(e));
  }
  EXPECT_GT(ties, 0);
}

TEST(Betrag, MasksFormatCentsAsShown) {
  EXPECT_EQ(format_betrag(123456, "###########.##"), "       1234.56");
  EXPECT_EQ(format_betrag(-5, "###########.##"), "         -0.05");
  EXPECT_EQ(format_betrag(123456789, "###.###.###.###,##"), "      1.234.567,89");
  EXPECT_EQ(format_betrag(-100000, "###.###.###.###,##"), "         -1.000,00");
  EXPECT_EQ(format_betrag(0, "###.###,##"), "      0,00");
  EXPECT_EQ(format_maske(1234, 0, "#######"), "   1234");
  EXPECT_EQ(format_maske(1900, 2, "###,##"), " 19,00");
  EXPECT_EQ(format_betrag(250, "####"), "   2");  // 2.50 rounds to the even 2
  EXPECT_EQ(format_betrag(350, "####"), "   4");
  EXPECT_EQ(format_maske(25, 1, "##.##"), " 2.50");
  // Too wide for the mask: printed in full.
  EXPECT_EQ(format_betrag(123456789, "####.##"), "1234567.89");
  EXPECT_EQ(betrag_text(-123456), "-1.234,56");
}

TEST(Betrag, TypedAmountsInGermanAndDecimalPointForms) {
  struct Fall {
    const char* text;
    std::optional<Betrag> cent;
  };
  const Fall faelle[] = {
      // A comma is the decimal separator, points group thousands.
      {"1234,56", 123456}, {"1.234,56", 123456}, {"1.234.567,89", 123456789}, {"-12,5", -1250},
      {",5", 50}, {"1.000,", 100000},
      // Without a comma a single point is the decimal separator.
      {"1234.56", 123456}, {"-0.05", -5}, {".5", 50}, {"1.5", 150},
      {"+3", 300}, {" 7 ", 700}, {"", 0}, {"999999999999999,99", 99999999999999999},
      // Anything else is refused.
      {"1,234.56", std::nullopt}, {"1.234", std::nullopt}, {"1.234.567", std::nullopt},
      {"1,234,56", std::nullopt}, {"12,345", std::nullopt}, {"1.2.3", std::nullopt},
      {"12a", std::nullopt}, {"-", std::nullopt}, {"1.23.456,00", std::nullopt},
      {"12.34,5", std::nullopt}, {"1234567890123456", std::nullopt}, {"1..2", std::nullopt},
      {",", std::nullopt}, {"1.234.56,7", std::nullopt}, {".", std::nullopt}};
  for (const Fall& f : faelle) EXPECT_EQ(betrag_aus_text(f.text), f.cent) << f.text;
}

TEST(Betrag, ScreenFormAsTheListsPrint) {
  EXPECT_EQ(zahl_anzeige(123456, 2, "###########.##"), "1234,56");
  EXPECT_EQ(zahl_anzeige(123456, 2, "###########.##", true), "1.234,56");
  EXPECT_EQ(zahl_anzeige(-123456789, 2, {}, true), "-1.234.567,89");
  EXPECT_EQ(zahl_anzeige(-5, 2), "-0,05");
  EXPECT_EQ(zahl_anzeige(0, 2, "9999999.99"), "0,00");
  EXPECT_EQ(zahl_anzeige(1900, 2, "###.##"), "19,00");
  EXPECT_EQ(zahl_anzeige(2500, 3, "##.###"), "2,500");  // discount rates in thousandths
  EXPECT_EQ(zahl_anzeige(250, 2, "####"), "2");          // a mask without decimals rounds
  // What is shown is read back as the same value.
  for (Betrag b : {Betrag{0}, Betrag{1}, Betrag{-99}, Betrag{123456789012}})
    for (bool tausender : {false, true})
      EXPECT_EQ(betrag_aus_text(zahl_anzeige(b, 2, {}, tausender)), b) << b;
}

TEST(Betrag, OtherDecimalCounts) {
  EXPECT_EQ(zahl_aus_text("2.5", 3), 2500);    // discount rates in thousandths
  EXPECT_EQ(zahl_aus_text("2.500", 3), 2500);  // a lone point is decimal
  EXPECT_EQ(zahl_aus_text("19", 2), 1900);
  EXPECT_EQ(zahl_aus_text("19,001", 2), std::nullopt);
  // Never beyond int64: the digits allowed shrink with the decimals.
  EXPECT_EQ(zahl_aus_text("999999999999999", 4), std::nullopt);
  EXPECT_EQ(zahl_aus_text("99999999999999", 4), 999999999999990000);
  EXPECT_EQ(zahl_aus_text("1", 10), std::nullopt);
}

}  // namespace
}  // namespace fibu
