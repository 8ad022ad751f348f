#include "suite/satz.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace fibu {

Satz::Satz(std::size_t groesse, std::string_view bytes) : bytes_(bytes) {
  if (bytes_.size() != groesse)
    throw std::out_of_range("Satz: " + std::to_string(bytes.size()) + " Bytes statt " +
                            std::to_string(groesse));
}

void Satz::leeren() {
  std::fill(bytes_.begin(), bytes_.end(), '\0');
}

void Satz::ausserhalb(std::size_t off, std::size_t n) const {
  throw std::out_of_range("Satz: Feld bei " + std::to_string(off) + " (+" + std::to_string(n) +
                          ") außerhalb von " + std::to_string(bytes_.size()) + " Bytes");
}

double Satz::f64(std::size_t off) const {
  return std::bit_cast<double>(lese(off, 8));
}

void Satz::setze_f64(std::size_t off, double v) {
  schreibe(off, 8, std::bit_cast<std::uint64_t>(v));
}

std::string Satz::text(std::size_t off, std::size_t kapazitaet, Codepage cp) const {
  pruefe(off, kapazitaet + 1);
  std::size_t laenge = std::min<std::size_t>(static_cast<unsigned char>(bytes_[off]), kapazitaet);
  return nach_utf8(std::string_view(bytes_).substr(off + 1, laenge), cp);
}

void Satz::setze_text(std::size_t off, std::size_t kapazitaet, std::string_view utf8, Codepage cp) {
  pruefe(off, kapazitaet + 1);
  std::string kodiert = von_utf8(utf8, cp);
  std::size_t laenge = std::min({kodiert.size(), kapazitaet, std::size_t{255}});
  bytes_[off] = static_cast<char>(laenge);
  std::memcpy(bytes_.data() + off + 1, kodiert.data(), laenge);
  std::memset(bytes_.data() + off + 1 + laenge, 0, kapazitaet - laenge);
}

std::string Satz::roh(std::size_t off, std::size_t laenge) const {
  pruefe(off, laenge);
  return bytes_.substr(off, laenge);
}

void Satz::setze_roh(std::size_t off, std::string_view daten) {
  pruefe(off, daten.size());
  std::memcpy(bytes_.data() + off, daten.data(), daten.size());
}

}  // namespace fibu
