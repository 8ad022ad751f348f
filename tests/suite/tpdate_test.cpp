#include "suite/tpdate.h"

#include <gtest/gtest.h>

namespace fibu {
namespace {

TEST(Tpdate, RangeEndsAreTheFirstAndLastRepresentableDay) {
  EXPECT_EQ(DMYtoDate(1, 1, 1900), 1);
  EXPECT_EQ(DMYtoDate(5, 6, 2079), 65535);
  EXPECT_EQ(DMYtoDate(6, 6, 2079), kein_datum);
  EXPECT_EQ(DMYtoDate(31, 12, 1899), kein_datum);
  int t, m, j;
  DateToDMY(65535, t, m, j);
  EXPECT_EQ((std::array{t, m, j}), (std::array{5, 6, 2079}));
  DateToDMY(kein_datum, t, m, j);
  EXPECT_EQ((std::array{t, m, j}), (std::array{0, 0, 0}));
}

TEST(Tpdate, LeapDaysAndMonthEnds) {
  EXPECT_NE(DMYtoDate(29, 2, 2024), kein_datum);
  EXPECT_EQ(DMYtoDate(29, 2, 2023), kein_datum);
  EXPECT_EQ(DMYtoDate(29, 2, 1900), kein_datum);  // 1900 is no leap year
  EXPECT_NE(DMYtoDate(29, 2, 2000), kein_datum);  // 2000 is one
  EXPECT_EQ(DMYtoDate(31, 4, 2024), kein_datum);
  EXPECT_EQ(DMYtoDate(0, 1, 2024), kein_datum);
  EXPECT_EQ(DMYtoDate(1, 13, 2024), kein_datum);
  EXPECT_EQ(DMYtoDate(257, 1, 2007), kein_datum);  // not 01.01. by a cut-off day
  EXPECT_EQ(DMYtoDate(32, 1, 2007), kein_datum);

  // 28.02. is followed by 29.02. in leap years and by 01.03. otherwise.
  EXPECT_EQ(DMYtoDate(1, 3, 2024) - DMYtoDate(28, 2, 2024), 2);
  EXPECT_EQ(DMYtoDate(1, 3, 2023) - DMYtoDate(28, 2, 2023), 1);
  EXPECT_EQ(DMYtoDate(1, 3, 1900) - DMYtoDate(28, 2, 1900), 1);
  EXPECT_EQ(DMYtoDate(1, 3, 2000) - DMYtoDate(28, 2, 2000), 2);
  EXPECT_EQ(DMYtoDate(1, 1, 2025) - DMYtoDate(1, 1, 2024), 366);
  EXPECT_EQ(tage_im_monat(2, 2024), 29);
  EXPECT_EQ(tage_im_monat(2, 2100), 28);
}

TEST(Tpdate, EveryDayNumberRoundTripsAndIncreases) {
  int vorher_t = 0, vorher_m = 0, vorher_j = 0;
  for (unsigned n = 1; n <= 65535; ++n) {
    int t, m, j;
    DateToDMY(static_cast<Datum>(n), t, m, j);
    ASSERT_EQ(DMYtoDate(t, m, j), n);
    if (n > 1) {
      bool folgt = (j == vorher_j && m == vorher_m && t == vorher_t + 1) ||
                   (j == vorher_j && m == vorher_m + 1 && t == 1) ||
                   (j == vorher_j + 1 && m == 1 && t == 1);
      ASSERT_TRUE(folgt) << n;
    }
    vorher_t = t, vorher_m = m, vorher_j = j;
  }
}

TEST(Tpdate, PicturesFormatAndParse) {
  Datum d = DMYtoDate(9, 3, 2007);
  EXPECT_EQ(DateToDateString("dd.mm.yyyy", d), "09.03.2007");
  EXPECT_EQ(DateToDateString("dd.mm.yy", d), "09.03.07");
  EXPECT_EQ(DateToDateString("ddmmyy", d), "090307");
  EXPECT_EQ(DateToDateString("dd.mm.yyyy", kein_datum), "  .  .    ");

  EXPECT_EQ(DateStringToDate("dd.mm.yyyy", "09.03.2007"), d);
  EXPECT_EQ(DateStringToDate("dd.mm.yy", "09.03.07"), d);
  EXPECT_EQ(DateStringToDate("ddmmyy", "090307"), d);
  EXPECT_EQ(DateStringToDate("ddmmyy", "010180"), DMYtoDate(1, 1, 1980));
  EXPECT_EQ(DateStringToDate("ddmmyy", "311279"), kein_datum);  // 31.12.2079 is beyond the range
  EXPECT_EQ(DateStringToDate("ddmmyy", "050679"), DMYtoDate(5, 6, 2079));
  EXPECT_EQ(DateStringToDate("dd.mm.yyyy", "9.3.2007"), kein_datum);
  EXPECT_EQ(DateStringToDate("dd.mm.yyyy", "29.02.2023"), kein_datum);
  EXPECT_EQ(DateStringToDate("dd.mm.yyyy", "09-03-2007"), kein_datum);
  EXPECT_EQ(DateStringToDate("dd.mm.yyyy", "09.03.2007x"), kein_datum);
}

TEST(Tpdate, TypedDatesInTheUsualForms) {
  Datum d = DMYtoDate(1, 2, 2007);
  EXPECT_EQ(datum_aus_eingabe("1.2.2007"), d);
  EXPECT_EQ(datum_aus_eingabe("01.02.07"), d);
  EXPECT_EQ(datum_aus_eingabe(" 010207 "), d);
  EXPECT_EQ(datum_aus_eingabe("01022007"), d);
  EXPECT_EQ(datum_aus_eingabe(""), kein_datum);
  EXPECT_EQ(datum_aus_eingabe("32.01.2007"), std::nullopt);
  EXPECT_EQ(datum_aus_eingabe("1.2.200"), std::nullopt);
  EXPECT_EQ(datum_aus_eingabe("heute"), std::nullopt);
  EXPECT_EQ(datum_aus_eingabe("1.1.99999999999"), std::nullopt);
  EXPECT_EQ(datum_aus_eingabe("1.1.2007.1"), std::nullopt);
}

TEST(Tpdate, SortTextSortsLikeTheDates) {
  std::vector<Datum> tage = {1, 15, 16, 255, 256, 4095, 4096, 40000, 65535};
  for (std::size_t i = 1; i < tage.size(); ++i) {
    EXPECT_LT(datum_sortiertext(tage[i - 1]), datum_sortiertext(tage[i]));
    EXPECT_EQ(datum_aus_sortiertext(datum_sortiertext(tage[i])), tage[i]);
  }
  EXPECT_EQ(datum_sortiertext(65535), "FFFF");
  EXPECT_EQ(datum_aus_sortiertext("12G4"), std::nullopt);
}

TEST(Tpdate, BusinessDateCanBeFixed) {
  Tagesdatum heute;
  EXPECT_NE(heute.Today(), kein_datum);
  heute.festlegen(DMYtoDate(31, 12, 2007));
  EXPECT_EQ(heute.Today(), DMYtoDate(31, 12, 2007));
  heute.freigeben();
  EXPECT_FALSE(heute.ist_festgelegt());
}

}  // namespace
}  // namespace fibu
