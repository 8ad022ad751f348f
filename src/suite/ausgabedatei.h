// An export file written in pieces under a temporary name and put in place
// by a rename only when it is complete and synced, so that a reader never
// sees half a file and an interrupted run leaves the old file as it was.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "suite/dateisystem.h"

namespace fibu {

class Ausgabedatei {
 public:
  Ausgabedatei(Dateisystem& fs, std::string pfad) : fs_(fs), pfad_(std::move(pfad)) {}
  // A file not put in place is removed.
  ~Ausgabedatei();
  Ausgabedatei(const Ausgabedatei&) = delete;
  Ausgabedatei& operator=(const Ausgabedatei&) = delete;

  [[nodiscard]] Ergebnis oeffnen();
  // Appends; the bytes are gathered and written in large pieces.
  [[nodiscard]] Ergebnis schreiben(std::string_view daten);
  // Writes what is gathered and syncs the temporary file.
  [[nodiscard]] Ergebnis fertig();
  // Renames the finished file over the target and syncs the directory.
  [[nodiscard]] Ergebnis einsetzen();

  const std::string& pfad() const { return pfad_; }
  std::uint64_t groesse() const { return pos_ + puffer_.size(); }

 private:
  [[nodiscard]] Ergebnis leeren();

  Dateisystem& fs_;
  std::string pfad_, tmp_;
  std::unique_ptr<Datei> datei_;
  std::string puffer_;
  std::uint64_t pos_ = 0;
  bool eingesetzt_ = false;
};

}  // namespace fibu
