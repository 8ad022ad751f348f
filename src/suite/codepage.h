// Conversion between the UTF-8 text the program holds in memory and the
// single-byte code pages of its files: CP1252 (records, Windows), CP850
// (printed lines, DOS) and ISO-8859-1. Built on iconv.
//
// Decoding never fails: the five bytes CP1252 leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become the C1 control characters of the same value, as
// Windows does, so every byte survives a round trip. Encoding a character the
// code page cannot hold, or a malformed UTF-8 sequence, gives '?'.
#pragma once

#include <string>
#include <string_view>

namespace fibu {

enum class Codepage { CP1252, CP850, ISO8859_1 };

std::string nach_utf8(std::string_view bytes, Codepage cp);
std::string von_utf8(std::string_view utf8, Codepage cp);

// The replacement for a character a code page cannot hold.
inline constexpr char ersatzzeichen = '?';

}  // namespace fibu
