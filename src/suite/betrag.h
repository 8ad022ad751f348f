// Amounts: signed 64-bit counts of cents of the client's currency. Rounding
// happens only here, to the nearest cent with halves to the even cent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fibu {

using Betrag = std::int64_t;  // cents

// Rounds a value in cents (or any smallest unit) computed in long double to
// the nearest whole unit; x.5 goes to the even neighbour, for negative values
// too (-2.5 -> -2). Values beyond the int64 range are clamped.
std::int64_t rund(long double wert);

// The fixed official rate: 1 Euro = 1.95583 Deutsche Mark. Computed exactly
// (no floating point) and rounded to the cent, halves to even.
Betrag dm2euro(Betrag dm_cent);
Betrag euro2dm(Betrag euro_cent);

// Formats `wert`, a number with `nachkomma` implied decimals (cents: 2), with
// a mask of '#' digit places: "###########.##" (decimal point, no grouping)
// or "###.###.###.###,##" (German grouping and comma). When a mask has both
// '.' and ',', the later one is the decimal separator; a mask with only one
// kind uses it as the decimal separator when it appears once, as grouping
// when it appears more often. The result is right-aligned to the width of the
// mask; the minus sign takes a leading place. A number wider than the mask is
// printed in full rather than losing digits. Extra decimals are rounded with
// `rund`, missing ones are zero-filled.
std::string format_maske(std::int64_t wert, int nachkomma, std::string_view maske);

// Shorthands for cents.
std::string format_betrag(Betrag cent, std::string_view maske);
// "1.234,56" / "-0,05": German form without padding.
std::string betrag_text(Betrag cent);

// The screen form of a number with `nachkomma` implied decimals, shown
// with the decimals of `maske` (all of them when it is empty), as the lists
// print it: decimal comma, and "." between thousands when `tausender`
// (fields that are only shown): "1.234,56", "1234,56", "-0,05", "19,00".
std::string zahl_anzeige(std::int64_t wert, int nachkomma, std::string_view maske = {},
                         bool tausender = false);

// Parses a typed amount into cents. When the text holds a ',', that is the
// decimal separator and every '.' separates thousands ("1.234,56",
// "1234,56", "-12,5", ",5"); otherwise a single '.' is the decimal separator
// ("1234.56"); "+3", " 7 " are whole amounts. Blank text is 0. nullopt for
// anything else ("1,234.56", "1.234.567", two commas, points in the wrong
// places), for more than two decimals and for more than 15 digits before
// the decimal separator.
std::optional<Betrag> betrag_aus_text(std::string_view text);

// As betrag_aus_text with `nachkomma` allowed decimals (rates: 2, discount
// rates: 3); the result counts units of the last decimal. At most 15 digits
// before the separator, and fewer when more than 3 decimals are allowed, so
// that the value always fits (0 to 9 decimals).
std::optional<std::int64_t> zahl_aus_text(std::string_view text, int nachkomma);

}  // namespace fibu
