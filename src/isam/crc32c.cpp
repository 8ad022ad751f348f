#include "isam/crc32c.h"

#include <array>
#include <cstring>

namespace fibu::isam {
namespace {

constexpr std::uint32_t polynom = 0x82F63B78u;  // reflected Castagnoli

constexpr std::array<std::uint32_t, 256> tabelle() {
  std::array<std::uint32_t, 256> t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? (c >> 1) ^ polynom : c >> 1;
    t[i] = c;
  }
  return t;
}
constexpr auto crc_tabelle = tabelle();

std::uint32_t crc_tabellarisch(const unsigned char* p, std::size_t n, std::uint32_t c) {
  for (std::size_t i = 0; i < n; ++i) c = crc_tabelle[(c ^ p[i]) & 0xFF] ^ (c >> 8);
  return c;
}

#if defined(__x86_64__)
__attribute__((target("sse4.2"))) std::uint32_t crc_sse42(const unsigned char* p, std::size_t n,
                                                          std::uint32_t c) {
  std::uint64_t c64 = c;
  while (n >= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    c64 = __builtin_ia32_crc32di(c64, w);
    p += 8;
    n -= 8;
  }
  c = static_cast<std::uint32_t>(c64);
  while (n--) c = __builtin_ia32_crc32qi(c, *p++);
  return c;
}

bool hat_sse42() {
  static const bool ja = __builtin_cpu_supports("sse4.2");
  return ja;
}
#endif

}  // namespace

std::uint32_t crc32c(const void* daten, std::size_t laenge, std::uint32_t start) {
  const auto* p = static_cast<const unsigned char*>(daten);
  std::uint32_t c = ~start;
#if defined(__x86_64__)
  if (hat_sse42()) return ~crc_sse42(p, laenge, c);
#endif
  return ~crc_tabellarisch(p, laenge, c);
}

}  // namespace fibu::isam
