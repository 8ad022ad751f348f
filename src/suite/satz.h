// A fixed-size byte record of a file with typed access at byte offsets:
// little-endian integers, IEEE doubles, Pascal strings (a length byte and a
// fixed capacity of characters in a code page), day-number dates and
// booleans. Every record type of the program is a Satz plus one table of
// field descriptors; bytes no field names are kept exactly as read.
//
// Offsets outside the record are programming errors and throw
// std::out_of_range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "suite/codepage.h"
#include "suite/tpdate.h"

namespace fibu {

// Field descriptors for the offset tables of the record types.
struct TextFeld {
  std::size_t offset;
  std::size_t kapazitaet;  // characters (= bytes) after the length byte
  Codepage codepage = Codepage::CP1252;
};
template <typename T>
struct ZahlFeld {
  static_assert(std::is_integral_v<T>, "ZahlFeld holds integers; doubles use f64");
  std::size_t offset;
};
struct DatumFeld {
  std::size_t offset;
};
struct JaNeinFeld {
  std::size_t offset;
};

class Satz {
 public:
  // A new record of `groesse` zero bytes.
  explicit Satz(std::size_t groesse) : bytes_(groesse, '\0') {}
  // A record as read from a file; `bytes` must have the record's size.
  Satz(std::size_t groesse, std::string_view bytes);

  std::size_t groesse() const { return bytes_.size(); }
  const std::string& bytes() const { return bytes_; }
  std::string& bytes() { return bytes_; }
  void leeren();  // all bytes zero

  // Integers, little-endian.
  std::uint8_t u8(std::size_t off) const { return static_cast<std::uint8_t>(lese(off, 1)); }
  std::uint16_t u16(std::size_t off) const { return static_cast<std::uint16_t>(lese(off, 2)); }
  std::uint32_t u32(std::size_t off) const { return static_cast<std::uint32_t>(lese(off, 4)); }
  std::int16_t i16(std::size_t off) const { return static_cast<std::int16_t>(lese(off, 2)); }
  std::int32_t i32(std::size_t off) const { return static_cast<std::int32_t>(lese(off, 4)); }
  std::int64_t i64(std::size_t off) const { return static_cast<std::int64_t>(lese(off, 8)); }
  void setze_u8(std::size_t off, std::uint8_t v) { schreibe(off, 1, v); }
  void setze_u16(std::size_t off, std::uint16_t v) { schreibe(off, 2, v); }
  void setze_u32(std::size_t off, std::uint32_t v) { schreibe(off, 4, v); }
  void setze_i16(std::size_t off, std::int16_t v) {
    schreibe(off, 2, static_cast<std::uint16_t>(v));
  }
  void setze_i32(std::size_t off, std::int32_t v) {
    schreibe(off, 4, static_cast<std::uint32_t>(v));
  }
  void setze_i64(std::size_t off, std::int64_t v) {
    schreibe(off, 8, static_cast<std::uint64_t>(v));
  }

  // 64-bit IEEE double, little-endian.
  double f64(std::size_t off) const;
  void setze_f64(std::size_t off, double v);

  // Pascal string: length byte at `off`, then `kapazitaet` bytes. Reading
  // takes the stored length (at most the capacity) and decodes to UTF-8;
  // writing encodes, cuts to the capacity and zeroes the unused bytes.
  std::string text(std::size_t off, std::size_t kapazitaet, Codepage cp = Codepage::CP1252) const;
  void setze_text(std::size_t off, std::size_t kapazitaet, std::string_view utf8,
                  Codepage cp = Codepage::CP1252);

  // Raw bytes, for keys and fields kept in their stored form.
  std::string roh(std::size_t off, std::size_t laenge) const;
  void setze_roh(std::size_t off, std::string_view daten);

  Datum datum(std::size_t off) const { return u16(off); }
  void setze_datum(std::size_t off, Datum d) { setze_u16(off, d); }
  bool ja(std::size_t off) const { return u8(off) != 0; }
  void setze_ja(std::size_t off, bool v) { setze_u8(off, v ? 1 : 0); }

  // Access through the descriptors of a record type's table.
  std::string get(const TextFeld& f) const { return text(f.offset, f.kapazitaet, f.codepage); }
  void set(const TextFeld& f, std::string_view v) {
    setze_text(f.offset, f.kapazitaet, v, f.codepage);
  }
  template <typename T>
  T get(const ZahlFeld<T>& f) const {
    return static_cast<T>(lese(f.offset, sizeof(T)));
  }
  template <typename T>
  void set(const ZahlFeld<T>& f, T v) {
    schreibe(f.offset, sizeof(T), static_cast<std::uint64_t>(v));
  }
  Datum get(const DatumFeld& f) const { return datum(f.offset); }
  void set(const DatumFeld& f, Datum d) { setze_datum(f.offset, d); }
  bool get(const JaNeinFeld& f) const { return ja(f.offset); }
  void set(const JaNeinFeld& f, bool v) { setze_ja(f.offset, v); }

  bool operator==(const Satz&) const = default;

 private:
  // Inline: every field access of every run passes here.
  void pruefe(std::size_t off, std::size_t n) const {
    if (off > bytes_.size() || n > bytes_.size() - off) [[unlikely]]
      ausserhalb(off, n);
  }
  [[noreturn]] void ausserhalb(std::size_t off, std::size_t n) const;
  std::uint64_t lese(std::size_t off, std::size_t n) const {
    pruefe(off, n);
    std::uint64_t v = 0;
    for (std::size_t i = n; i-- > 0;) v = (v << 8) | static_cast<unsigned char>(bytes_[off + i]);
    return v;
  }
  void schreibe(std::size_t off, std::size_t n, std::uint64_t v) {
    pruefe(off, n);
    for (std::size_t i = 0; i < n; ++i) {
      bytes_[off + i] = static_cast<char>(v & 0xFF);
      v >>= 8;
    }
  }

  std::string bytes_;
};

}  // namespace fibu
