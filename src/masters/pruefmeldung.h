// The one way the checks of the master data report: in a dialog each
// message is shown at once and the first that stops the save ends the
// check; in the consistency check every check runs and each message,
// behind the record's prefix ("Sachkonto 1200: "), becomes a protocol line.
// Either way the routine remembers whether anything was reported.
#pragma once

#include <functional>
#include <string>

#include "suite/interaktion.h"

namespace fibu {

class Pruefmeldung {
 public:
  // Shows the messages (dialog use).
  explicit Pruefmeldung(Interaktion& ui) : ui_(&ui) {}
  // Hands each message with the prefix to `zeile` (consistency check).
  Pruefmeldung(std::string praefix, std::function<void(const std::string&)> zeile)
      : praefix_(std::move(praefix)), zeile_(std::move(zeile)) {}

  void melde(const std::string& text);
  // Whether every check runs (the consistency check), or the first
  // stopping one ends them (a dialog).
  bool alle_pruefen() const { return ui_ == nullptr; }
  bool fehler() const { return fehler_; }

 private:
  Interaktion* ui_ = nullptr;
  std::string praefix_;
  std::function<void(const std::string&)> zeile_;
  bool fehler_ = false;
};

}  // namespace fibu
