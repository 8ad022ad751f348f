#include "suite/allgemei.h"

#include <algorithm>

#include "suite/codepage.h"

namespace fibu {
namespace {

bool folgebyte(unsigned char c) {
  return (c & 0xC0) == 0x80;
}

// Byte length of the character that starts at s[i]; stray continuation
// bytes and truncated sequences count as one character of one byte.
std::size_t zeichen_laenge(std::string_view s, std::size_t i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  std::size_t n = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  if (i + n > s.size()) return 1;
  for (std::size_t k = 1; k < n; ++k)
    if (!folgebyte(static_cast<unsigned char>(s[i + k]))) return 1;
  return n;
}

}  // namespace

std::string space(std::ptrdiff_t n) {
  return n > 0 ? std::string(static_cast<size_t>(n), ' ') : "";
}

std::size_t zeichenzahl(std::string_view s) {
  std::size_t anzahl = 0;
  for (std::size_t i = 0; i < s.size(); i += zeichen_laenge(s, i)) ++anzahl;
  return anzahl;
}

std::size_t byte_position(std::string_view s, std::size_t n) {
  std::size_t i = 0;
  while (n > 0 && i < s.size()) {
    i += zeichen_laenge(s, i);
    --n;
  }
  return i;
}

std::string padcut(std::string_view s, std::ptrdiff_t n) {
  if (n <= 0) return "";
  std::size_t laenge = zeichenzahl(s);
  std::size_t soll = static_cast<std::size_t>(n);
  if (laenge >= soll) return std::string(s.substr(0, byte_position(s, soll)));
  return std::string(s) + std::string(soll - laenge, ' ');
}

std::string padlinks(std::string_view s, std::ptrdiff_t n) {
  if (n <= 0) return "";
  std::size_t laenge = zeichenzahl(s);
  std::size_t soll = static_cast<std::size_t>(n);
  if (laenge >= soll) return std::string(s.substr(0, byte_position(s, soll)));
  return std::string(soll - laenge, ' ') + std::string(s);
}

std::string rechtsbuendig(std::string_view s, std::ptrdiff_t n) {
  const auto laenge = static_cast<std::ptrdiff_t>(zeichenzahl(s));
  return std::string(static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, n - laenge)), ' ') +
         std::string(s);
}

bool nur_ziffern(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string mittig(std::string_view s, std::ptrdiff_t n) {
  const auto laenge = static_cast<std::ptrdiff_t>(zeichenzahl(s));
  return padcut(space(std::max<std::ptrdiff_t>(0, (n - laenge) / 2)) + std::string(s), n);
}

std::string kopy(std::string_view s, std::ptrdiff_t index, std::ptrdiff_t anzahl) {
  if (index < 1) index = 1;
  if (anzahl <= 0) return "";
  std::size_t von = byte_position(s, static_cast<std::size_t>(index - 1));
  std::string_view rest = s.substr(von);
  return std::string(rest.substr(0, byte_position(rest, static_cast<std::size_t>(anzahl))));
}

std::vector<std::string> textzeilen(std::string_view text) {
  std::vector<std::string> zeilen;
  for (std::size_t pos = 0; pos < text.size();) {
    std::size_t ende = text.find('\n', pos);
    if (ende == std::string_view::npos) ende = text.size();
    std::string_view z = text.substr(pos, ende - pos);
    if (!z.empty() && z.back() == '\r') z.remove_suffix(1);
    zeilen.emplace_back(z);
    pos = ende + 1;
  }
  return zeilen;
}

std::string trim_rechts(std::string_view s) {
  std::size_t e = s.find_last_not_of(' ');
  return e == std::string_view::npos ? "" : std::string(s.substr(0, e + 1));
}

std::string trim(std::string_view s) {
  std::size_t a = s.find_first_not_of(' ');
  if (a == std::string_view::npos) return "";
  return trim_rechts(s.substr(a));
}

std::string gross(std::string_view s) {
  std::string aus;
  aus.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c >= 'a' && c <= 'z') {
      aus.push_back(static_cast<char>(c - 'a' + 'A'));
    } else if (c == '\xC3' && i + 1 < s.size() &&
               (s[i + 1] == '\xA4' || s[i + 1] == '\xB6' || s[i + 1] == '\xBC')) {
      // ä ö ü -> Ä Ö Ü: the second byte differs by 0x20.
      aus.push_back(c);
      aus.push_back(static_cast<char>(s[i + 1] - 0x20));
      ++i;
    } else {
      aus.push_back(c);
    }
  }
  return aus;
}

std::string ansitoasciistr(std::string_view cp1252) {
  return von_utf8(nach_utf8(cp1252, Codepage::CP1252), Codepage::CP850);
}

std::string asciitoansistr(std::string_view cp850) {
  return von_utf8(nach_utf8(cp850, Codepage::CP850), Codepage::CP1252);
}

}  // namespace fibu
