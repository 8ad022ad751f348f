// The data file of a keyed file: a header page, then fixed slots of one
// status byte and the record. Free slots are chained through their first
// four record bytes for reuse. A reference is a slot number from 1.
#pragma once

#include <cstdint>
#include <string>

#include "isam/seitendatei.h"

namespace fibu::isam {

class Datendatei {
 public:
  explicit Datendatei(Seitendatei& d) : d_(d) {}

  // The header page of a new data file.
  static std::string neuer_kopf(std::uint32_t satzgroesse, int schluesselanzahl);
  // Reads and checks the header (fehler_daten_defekt when impossible).
  [[nodiscard]] int kopf_pruefen();

  std::uint32_t satzgroesse() const { return satzgroesse_; }
  [[nodiscard]] int schluesselanzahl() const { return schluesselanzahl_; }
  std::uint32_t benutzt();

  [[nodiscard]] int hinzufuegen(const char* satz, std::uint32_t& ref);
  [[nodiscard]] int ersetzen(std::uint32_t ref, const char* satz);
  [[nodiscard]] int lesen(std::uint32_t ref, char* satz);
  [[nodiscard]] int loeschen(std::uint32_t ref);

  // Slot size and position, for the rebuild's scan.
  static std::uint64_t slotgroesse(std::uint32_t satzgroesse);
  static std::uint64_t position(std::uint32_t ref, std::uint32_t satzgroesse);
  // Header bytes for a slot count, used count and free chain head.
  static std::string kopf_bytes(std::uint32_t satzgroesse, int schluesselanzahl,
                                std::uint32_t plaetze, std::uint32_t benutzt, std::uint32_t frei);

 private:
  struct Kopf {
    std::uint32_t plaetze = 0, benutzt = 0, frei = 0;  // slots in the file
  };
  [[nodiscard]] int kopf_lesen(Kopf& k);
  [[nodiscard]] int kopf_schreiben(const Kopf& k);
  [[nodiscard]] int status(std::uint32_t ref, std::uint8_t& aus);

  Seitendatei& d_;
  std::uint32_t satzgroesse_ = 0;
  int schluesselanzahl_ = 0;
};

}  // namespace fibu::isam
