// iconv does the table work; this file adds the error policy (C1 for the
// CP1252 gaps, '?' for what cannot be encoded) and a cache of descriptors,
// because record codecs convert millions of short strings.
#include "suite/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

namespace fibu {
namespace {

// One conversion direction for one code page, opened on first use and kept
// per thread (iconv descriptors carry shift state and are not shareable).
class Wandler {
 public:
  Wandler(const char* nach, const char* von) : cd_(iconv_open(nach, von)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("iconv kennt die Zeichensatzumwandlung nicht: ") + von +
                               " -> " + nach);
    }
  }
  ~Wandler() { iconv_close(cd_); }
  Wandler(const Wandler&) = delete;
  Wandler& operator=(const Wandler&) = delete;

  // Converts as much as possible; returns false at an invalid or
  // unconvertible sequence with `rest` pointing at it.
  bool wandle(std::string_view& rest, std::string& aus) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char puffer[256];
    while (!rest.empty()) {
      char* ein = const_cast<char*>(rest.data());
      size_t ein_laenge = rest.size();
      char* ziel = puffer;
      size_t ziel_laenge = sizeof puffer;
      size_t r = iconv(cd_, &ein, &ein_laenge, &ziel, &ziel_laenge);
      int fehler = errno;
      aus.append(puffer, static_cast<size_t>(ziel - puffer));
      rest.remove_prefix(rest.size() - ein_laenge);
      if (r == static_cast<size_t>(-1) && fehler != E2BIG) return false;
    }
    return true;
  }

 private:
  iconv_t cd_;
};

const char* iconv_name(Codepage cp) {
  switch (cp) {
    case Codepage::CP1252:
      return "CP1252";
    case Codepage::CP850:
      return "CP850";
    case Codepage::ISO8859_1:
      return "ISO-8859-1";
  }
  return "CP1252";
}

// Opened on first use, one per code page and direction, so a code page
// iconv lacks fails only where it is used.
Wandler& wandler(Codepage cp, bool nach_utf8) {
  thread_local std::unique_ptr<Wandler> wandler[3][2];
  auto& w = wandler[static_cast<int>(cp)][nach_utf8 ? 1 : 0];
  if (!w) {
    const char* name = iconv_name(cp);
    w = nach_utf8 ? std::make_unique<Wandler>("UTF-8", name)
                  : std::make_unique<Wandler>(name, "UTF-8");
  }
  return *w;
}

bool nur_ascii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

void c1_anhaengen(unsigned char c, std::string& aus) {
  aus.push_back(static_cast<char>(0xC0 | (c >> 6)));
  aus.push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

// Length of the UTF-8 sequence starting with `c`, 1 for a stray byte.
size_t sequenzlaenge(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0) return c <= 0xEF ? 3 : 1;
  if (c >= 0xC2) return 2;
  return 1;
}

bool sequenz_gueltig(std::string_view s, size_t n) {
  if (s.size() < n || n == 1) return false;
  for (size_t i = 1; i < n; ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return false;
  return true;
}

}  // namespace

std::string nach_utf8(std::string_view bytes, Codepage cp) {
  if (nur_ascii(bytes)) return std::string(bytes);
  std::string aus;
  aus.reserve(bytes.size() * 2);
  Wandler& w = wandler(cp, true);
  while (!w.wandle(bytes, aus)) {
    // Only CP1252 has holes; keep the byte as its C1 control character.
    c1_anhaengen(static_cast<unsigned char>(bytes.front()), aus);
    bytes.remove_prefix(1);
  }
  return aus;
}

std::string von_utf8(std::string_view utf8, Codepage cp) {
  if (nur_ascii(utf8)) return std::string(utf8);
  std::string aus;
  aus.reserve(utf8.size());
  Wandler& w = wandler(cp, false);
  while (!w.wandle(utf8, aus)) {
    unsigned char c = static_cast<unsigned char>(utf8.front());
    size_t n = sequenzlaenge(c);
    bool gueltig = sequenz_gueltig(utf8, n);
    // U+0080..U+009F: the C1 characters that stand for CP1252's undefined bytes.
    if (cp == Codepage::CP1252 && gueltig && n == 2 && c == 0xC2) {
      unsigned char c1 = static_cast<unsigned char>(utf8[1]);
      if (c1 == 0x81 || c1 == 0x8D || c1 == 0x8F || c1 == 0x90 || c1 == 0x9D) {
        aus.push_back(static_cast<char>(c1));
        utf8.remove_prefix(2);
        continue;
      }
    }
    aus.push_back(ersatzzeichen);
    utf8.remove_prefix(gueltig ? n : 1);
  }
  return aus;
}

}  // namespace fibu
