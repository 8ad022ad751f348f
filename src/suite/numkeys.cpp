#include "suite/numkeys.h"

#include <cmath>

namespace fibu {

std::string LongToKey(std::int32_t wert) {
  std::uint32_t u = static_cast<std::uint32_t>(wert) ^ 0x80000000u;
  std::string k(4, '\0');
  for (int i = 3; i >= 0; --i) {
    k[static_cast<size_t>(i)] = static_cast<char>(u & 0xFF);
    u >>= 8;
  }
  return k;
}

std::int32_t KeyToLong(std::string_view key) {
  std::uint32_t u = 0;
  for (std::size_t i = 0; i < 4; ++i)
    u = (u << 8) | (i < key.size() ? static_cast<unsigned char>(key[i]) : 0u);
  return static_cast<std::int32_t>(u ^ 0x80000000u);
}

std::string WordToKey(std::uint16_t wert) {
  return std::string{static_cast<char>(wert >> 8), static_cast<char>(wert & 0xFF)};
}

std::uint16_t KeyToWord(std::string_view key) {
  unsigned hi = key.size() > 0 ? static_cast<unsigned char>(key[0]) : 0u;
  unsigned lo = key.size() > 1 ? static_cast<unsigned char>(key[1]) : 0u;
  return static_cast<std::uint16_t>((hi << 8) | lo);
}

// The extended layout is built from frexp so that it does not depend on how
// this machine stores long double; on x86 the significand fits exactly.
std::string ExtToKey(long double wert) {
  std::uint16_t kopf = 0;  // sign and biased exponent
  std::uint64_t signifikant = 0;
  if (wert != 0 && !std::isnan(wert)) {
    bool negativ = std::signbit(wert);
    long double m = std::fabs(wert);
    if (std::isinf(m)) {
      kopf = 0x7FFF;
      signifikant = 0x8000000000000000ull;
    } else {
      int e = 0;
      long double f = std::frexp(m, &e);  // m = f * 2^e, 0.5 <= f < 1
      signifikant = static_cast<std::uint64_t>(std::ldexp(f, 64));
      int biased = e - 1 + 16383;
      if (biased <= 0) {
        // Below the normal range: shift into a denormal with exponent 0.
        signifikant = biased > -64 ? signifikant >> (1 - biased) : 0;
        biased = 0;
      }
      kopf = static_cast<std::uint16_t>(biased);
    }
    if (negativ) kopf |= 0x8000;
  }
  std::string k(10, '\0');
  k[0] = static_cast<char>(kopf >> 8);
  k[1] = static_cast<char>(kopf & 0xFF);
  for (int i = 0; i < 8; ++i)
    k[static_cast<size_t>(2 + i)] = static_cast<char>(signifikant >> (56 - 8 * i));
  // Order: negative keys inverted (larger magnitude sorts first), positive
  // keys above all negative ones.
  bool negativ = (kopf & 0x8000) != 0;
  for (auto& c : k) {
    if (negativ) c = static_cast<char>(~static_cast<unsigned char>(c));
  }
  if (!negativ) k[0] = static_cast<char>(static_cast<unsigned char>(k[0]) | 0x80);
  return k;
}

long double KeyToExt(std::string_view key) {
  if (key.size() < 10) return 0;
  unsigned char b[10];
  for (int i = 0; i < 10; ++i) b[i] = static_cast<unsigned char>(key[static_cast<size_t>(i)]);
  bool negativ = (b[0] & 0x80) == 0;
  if (negativ) {
    for (auto& c : b) c = static_cast<unsigned char>(~c);
  } else {
    b[0] &= 0x7F;
  }
  int exponent = ((b[0] & 0x7F) << 8) | b[1];
  std::uint64_t signifikant = 0;
  for (int i = 2; i < 10; ++i) signifikant = (signifikant << 8) | b[i];
  long double wert;
  if (exponent == 0x7FFF) {
    wert = HUGE_VALL;
  } else if (exponent == 0) {
    wert = std::ldexp(static_cast<long double>(signifikant), 1 - 16383 - 63);
  } else {
    wert = std::ldexp(static_cast<long double>(signifikant), exponent - 16383 - 63);
  }
  return negativ ? -wert : wert;
}

}  // namespace fibu
