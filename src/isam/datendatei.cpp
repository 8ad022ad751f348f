#include "isam/datendatei.h"

#include <algorithm>
#include <cstring>

#include "isam/bytes.h"
#include "isam/crc32c.h"
#include "isam/fehler.h"

namespace fibu::isam {
namespace {

constexpr char daten_magie[8] = {'F', 'I', 'B', 'U', 'D', 'A', '0', '1'};
// Header: magic, record size (4), key count (1), -, slots (4), used (4),
// free chain head (4), ..., CRC-32C of bytes 0..59 at 60.
constexpr std::size_t k_satzgroesse = 8, k_schluessel = 12, k_slots = 16, k_benutzt = 20,
                      k_frei = 24;
constexpr std::size_t k_crc = 60;
constexpr std::uint8_t frei = 0, belegt = 1;

}  // namespace

std::uint64_t Datendatei::slotgroesse(std::uint32_t satzgroesse) {
  return 1 + std::max<std::uint64_t>(satzgroesse, 4);
}

std::uint64_t Datendatei::position(std::uint32_t ref, std::uint32_t satzgroesse) {
  return seitengroesse + static_cast<std::uint64_t>(ref - 1) * slotgroesse(satzgroesse);
}

std::string Datendatei::kopf_bytes(std::uint32_t satzgroesse, int schluesselanzahl,
                                   std::uint32_t plaetze, std::uint32_t benutzt,
                                   std::uint32_t frei_kopf) {
  std::string s(64, '\0');
  std::memcpy(s.data(), daten_magie, 8);
  put(s.data(), k_satzgroesse, satzgroesse);
  put(s.data(), k_schluessel, static_cast<std::uint8_t>(schluesselanzahl));
  put(s.data(), k_slots, plaetze);
  put(s.data(), k_benutzt, benutzt);
  put(s.data(), k_frei, frei_kopf);
  put(s.data(), k_crc, crc32c(s.data(), k_crc));
  return s;
}

std::string Datendatei::neuer_kopf(std::uint32_t satzgroesse, int schluesselanzahl) {
  std::string s = kopf_bytes(satzgroesse, schluesselanzahl, 0, 0, 0);
  s.resize(seitengroesse, '\0');
  return s;
}

int Datendatei::kopf_lesen(Kopf& k) {
  char b[64];
  if (!d_.lesen(0, sizeof b, b)) return fehler_ein_ausgabe;
  if (std::memcmp(b, daten_magie, 8) != 0 || get<std::uint32_t>(b, k_crc) != crc32c(b, k_crc))
    return fehler_daten_defekt;
  k.plaetze = get<std::uint32_t>(b, k_slots);
  k.benutzt = get<std::uint32_t>(b, k_benutzt);
  k.frei = get<std::uint32_t>(b, k_frei);
  if (k.benutzt > k.plaetze || k.frei > k.plaetze) return fehler_daten_defekt;
  if (d_.groesse() < position(k.plaetze + 1, satzgroesse_)) return fehler_daten_defekt;
  return isam_ok;
}

int Datendatei::kopf_schreiben(const Kopf& k) {
  std::string b = kopf_bytes(satzgroesse_, schluesselanzahl_, k.plaetze, k.benutzt, k.frei);
  return d_.schreiben(0, b.data(), b.size()) ? isam_ok : fehler_ein_ausgabe;
}

int Datendatei::kopf_pruefen() {
  char b[64];
  if (d_.groesse() < seitengroesse) return fehler_daten_defekt;
  if (!d_.lesen(0, sizeof b, b)) return fehler_ein_ausgabe;
  if (std::memcmp(b, daten_magie, 8) != 0 || get<std::uint32_t>(b, k_crc) != crc32c(b, k_crc))
    return fehler_daten_defekt;
  satzgroesse_ = get<std::uint32_t>(b, k_satzgroesse);
  schluesselanzahl_ = get<std::uint8_t>(b, k_schluessel);
  if (satzgroesse_ == 0) return fehler_daten_defekt;
  Kopf k;
  return kopf_lesen(k);
}

std::uint32_t Datendatei::benutzt() {
  Kopf k;
  return kopf_lesen(k) == isam_ok ? k.benutzt : 0;
}

int Datendatei::status(std::uint32_t ref, std::uint8_t& aus) {
  Kopf k;
  if (int f = kopf_lesen(k); f != isam_ok) return f;
  if (ref == 0 || ref > k.plaetze) return fehler_satzreferenz;
  char c;
  if (!d_.lesen(position(ref, satzgroesse_), 1, &c)) return fehler_ein_ausgabe;
  aus = static_cast<std::uint8_t>(c);
  return isam_ok;
}

int Datendatei::hinzufuegen(const char* satz, std::uint32_t& ref) {
  Kopf k;
  if (int f = kopf_lesen(k); f != isam_ok) return f;
  if (k.frei != 0) {
    ref = k.frei;
    char slot[5];
    if (!d_.lesen(position(ref, satzgroesse_), 5, slot)) return fehler_ein_ausgabe;
    if (static_cast<std::uint8_t>(slot[0]) != frei) return fehler_daten_defekt;
    k.frei = get<std::uint32_t>(slot, 1);
  } else {
    if (k.plaetze == UINT32_MAX - 1) return fehler_parameter;
    ref = ++k.plaetze;
  }
  ++k.benutzt;
  std::string slot(static_cast<std::size_t>(slotgroesse(satzgroesse_)), '\0');
  slot[0] = static_cast<char>(belegt);
  std::memcpy(slot.data() + 1, satz, satzgroesse_);
  if (!d_.schreiben(position(ref, satzgroesse_), slot.data(), slot.size()))
    return fehler_ein_ausgabe;
  return kopf_schreiben(k);
}

int Datendatei::ersetzen(std::uint32_t ref, const char* satz) {
  std::uint8_t st;
  if (int f = status(ref, st); f != isam_ok) return f;
  if (st != belegt) return fehler_satzreferenz;
  return d_.schreiben(position(ref, satzgroesse_) + 1, satz, satzgroesse_) ? isam_ok
                                                                           : fehler_ein_ausgabe;
}

int Datendatei::lesen(std::uint32_t ref, char* satz) {
  std::uint8_t st;
  if (int f = status(ref, st); f != isam_ok) return f;
  if (st != belegt) return fehler_satzreferenz;
  return d_.lesen(position(ref, satzgroesse_) + 1, satzgroesse_, satz) ? isam_ok
                                                                       : fehler_ein_ausgabe;
}

int Datendatei::loeschen(std::uint32_t ref) {
  std::uint8_t st;
  if (int f = status(ref, st); f != isam_ok) return f;
  if (st != belegt) return fehler_satzreferenz;
  Kopf k;
  if (int f = kopf_lesen(k); f != isam_ok) return f;
  std::string slot(static_cast<std::size_t>(slotgroesse(satzgroesse_)), '\0');
  slot[0] = static_cast<char>(frei);
  put(slot.data(), 1, k.frei);
  if (!d_.schreiben(position(ref, satzgroesse_), slot.data(), slot.size()))
    return fehler_ein_ausgabe;
  k.frei = ref;
  --k.benutzt;
  return kopf_schreiben(k);
}

}  // namespace fibu::isam
