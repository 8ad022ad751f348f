#include "suite/numkeys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace fibu {
namespace {

// Sorting the keys must give the same order as sorting the numbers.
template <typename T, typename ZuKey>
void sortiert_wie_zahlen(std::vector<T> werte, ZuKey zu_key) {
  std::vector<std::pair<std::string, T>> keys;
  for (T w : werte) keys.emplace_back(zu_key(w), w);
  std::sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.first < b.first; });
  std::sort(werte.begin(), werte.end());
  for (std::size_t i = 0; i < werte.size(); ++i) ASSERT_EQ(keys[i].second, werte[i]) << i;
}

TEST(Numkeys, LongKeysSortLikeNumbersAndRoundTrip) {
  std::mt19937 zufall(42);
  std::vector<std::int32_t> werte = {INT32_MIN, -1, 0, 1, INT32_MAX, -256, 255, 256};
  std::uniform_int_distribution<std::int32_t> alle(INT32_MIN, INT32_MAX);
  for (int i = 0; i < 20000; ++i) werte.push_back(alle(zufall));
  sortiert_wie_zahlen(werte, LongToKey);
  for (auto w : werte) {
    ASSERT_EQ(LongToKey(w).size(), 4u);
    ASSERT_EQ(KeyToLong(LongToKey(w)), w);
  }
}

TEST(Numkeys, WordKeysSortLikeNumbersAndRoundTrip) {
  std::vector<std::uint16_t> werte;
  for (unsigned w = 0; w <= 65535; w += 7) werte.push_back(static_cast<std::uint16_t>(w));
  werte.push_back(65535);
  sortiert_wie_zahlen(werte, WordToKey);
  for (auto w : werte) ASSERT_EQ(KeyToWord(WordToKey(w)), w);
}

TEST(Numkeys, ExtendedKeysSortLikeNumbersIncludingNegatives) {
  std::mt19937 zufall(7);
  std::vector<long double> werte = {0.0L,   -0.0L,   1.0L,          -1.0L,
                                    0.01L,  -0.01L,  1e-4000L,      -1e-4000L,
                                    1e300L, -1e300L, 123456789.01L, -123456789.01L};
  std::uniform_real_distribution<double> mantisse(-1.0, 1.0);
  std::uniform_int_distribution<int> exponent(-60, 60);
  for (int i = 0; i < 20000; ++i)
    werte.push_back(std::ldexp(static_cast<long double>(mantisse(zufall)), exponent(zufall)));
  // Whole amounts in cents as the record files key them.
  std::uniform_int_distribution<std::int64_t> cent(-10000000000LL, 10000000000LL);
  for (int i = 0; i < 5000; ++i) werte.push_back(static_cast<long double>(cent(zufall)));

  std::vector<std::pair<std::string, long double>> keys;
  for (auto w : werte) keys.emplace_back(ExtToKey(w), w);
  std::sort(keys.begin(), keys.end(), [](auto& a, auto& b) { return a.first < b.first; });
  for (std::size_t i = 1; i < keys.size(); ++i) ASSERT_LE(keys[i - 1].second, keys[i].second) << i;
  for (auto w : werte) {
    ASSERT_EQ(ExtToKey(w).size(), 10u);
    ASSERT_EQ(KeyToExt(ExtToKey(w)), w);
  }
  EXPECT_EQ(ExtToKey(0.0L), ExtToKey(-0.0L));
}

}  // namespace
}  // namespace fibu
