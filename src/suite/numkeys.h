// Order-preserving number keys: the key texts compare bytewise (as unsigned
// characters, the way std::string and the index compare) exactly as the
// numbers compare, negative numbers included.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fibu {

// 4 bytes: the value with its sign bit flipped, most significant byte first.
std::string LongToKey(std::int32_t wert);
std::int32_t KeyToLong(std::string_view key);

// 2 bytes: the value most significant byte first.
std::string WordToKey(std::uint16_t wert);
std::uint16_t KeyToWord(std::string_view key);

// 10 bytes: the value in the 80-bit extended layout (sign, 15-bit exponent,
// 64-bit significand), most significant byte first, with the sign bit set
// for positive numbers and all bits inverted for negative ones. -0 is keyed
// as 0; NaN is not a key (it is keyed as 0).
std::string ExtToKey(long double wert);
long double KeyToExt(std::string_view key);

}  // namespace fibu
