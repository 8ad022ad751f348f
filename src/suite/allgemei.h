// String helpers of the shared package. All text is UTF-8; lengths and
// positions count characters (code points), never bytes, so a field of n
// characters on screen or paper is n characters here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace fibu {

// n blanks.
std::string space(std::ptrdiff_t n);

// Exactly n characters: s cut after n characters or padded with blanks.
std::string padcut(std::string_view s, std::ptrdiff_t n);

// Right-aligned in n characters: padded on the left, or cut to its first n.
std::string padlinks(std::string_view s, std::ptrdiff_t n);
// Right-aligned in at least n characters: padded on the left, never cut.
std::string rechtsbuendig(std::string_view s, std::ptrdiff_t n);
// Whether the text holds digits 0-9 only (an empty text does).
bool nur_ziffern(std::string_view s);
// Centred in exactly n characters (an odd blank goes to the right).
std::string mittig(std::string_view s, std::ptrdiff_t n);

// Pascal's Copy: `anzahl` characters from the 1-based position `index`.
// An index below 1 counts as 1; an index beyond the end gives "".
std::string kopy(std::string_view s, std::ptrdiff_t index, std::ptrdiff_t anzahl);

// Number of characters of a UTF-8 string (a stray byte counts as one).
std::size_t zeichenzahl(std::string_view s);

// Byte offset of character number `n` (0-based); s.size() when beyond the end.
std::size_t byte_position(std::string_view s, std::size_t n);

// The lines of a text, split at LF, a CR before the LF removed; a text
// ending in a line break has no empty last line.
std::vector<std::string> textzeilen(std::string_view text);

// Removes blanks at both ends / at the right end.
std::string trim(std::string_view s);
std::string trim_rechts(std::string_view s);

// Upper case of ASCII letters and the German umlauts (ß stays ß).
std::string gross(std::string_view s);

// Windows (CP1252) bytes to DOS (CP850) bytes and back, for the few places
// that hold text in a legacy code page rather than in UTF-8.
std::string ansitoasciistr(std::string_view cp1252);
std::string asciitoansistr(std::string_view cp850);

}  // namespace fibu
