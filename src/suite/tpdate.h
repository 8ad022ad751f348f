// Dates of the shared package. A date is a 16-bit day number: 0 = no date,
// 1 = 01.01.1900, 65535 = 05.06.2079; later dates are larger numbers.
// Text forms follow a picture in which "dd", "mm", "yyyy" and "yy" stand
// for day, month and year and every other character stands for itself.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fibu {

using Datum = std::uint16_t;

inline constexpr Datum kein_datum = 0;
inline constexpr Datum erstes_datum = 1;       // 01.01.1900
inline constexpr Datum letztes_datum = 65535;  // 05.06.2079

// Day number of a calendar date; kein_datum when the date does not exist or
// lies outside 01.01.1900 .. 05.06.2079.
Datum DMYtoDate(int tag, int monat, int jahr);

// Calendar date of a day number; all three 0 for kein_datum.
void DateToDMY(Datum datum, int& tag, int& monat, int& jahr);

// The date in the form of the picture ("dd.mm.yyyy", "dd.mm.yy", "ddmmyy").
// kein_datum gives the picture with blanks in place of the digits.
std::string DateToDateString(std::string_view bild, Datum datum);

// Reads text in the form of the picture; kein_datum when the text does not
// match it or names no valid date. Two-digit years 00..79 are 2000..2079,
// 80..99 are 1980..1999.
Datum DateStringToDate(std::string_view bild, std::string_view text);

// A typed date in any of the usual forms: "1.2.2007", "01.02.07", "010207",
// "01022007". Blank input is kein_datum; nullopt when the text is no date.
std::optional<Datum> datum_aus_eingabe(std::string_view text);

int jahr_von(Datum datum);
int monat_von(Datum datum);
int tag_von(Datum datum);
bool schaltjahr(int jahr);
int tage_im_monat(int monat, int jahr);

// Four characters that sort like the dates (hex digits of the day number),
// for keys built from text; and back (nullopt for text that is no such form).
std::string datum_sortiertext(Datum datum);
std::optional<Datum> datum_aus_sortiertext(std::string_view text);

// The business date (`tagesdatum`). It is the calendar day unless a test or
// the batch tool fixed another date; one object belongs to the running
// program and is passed to whatever needs "today".
class Tagesdatum {
 public:
  Tagesdatum() = default;
  explicit Tagesdatum(Datum fest) : fest_(fest) {}

  Datum Today() const;
  void festlegen(Datum datum) { fest_ = datum; }
  void freigeben() { fest_.reset(); }
  bool ist_festgelegt() const { return fest_.has_value(); }

 private:
  std::optional<Datum> fest_;
};

}  // namespace fibu
