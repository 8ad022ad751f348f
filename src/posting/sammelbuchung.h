// Runs that settle many items at once (the write-off of small remainders,
// the direct-debit run): every booking is checked before the first is
// written, and then all are written in one unit of work, or none.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "suite/satz.h"

namespace fibu {

class Buchungskern;
class Mandant;

struct Abgelehnt {
  std::size_t index = 0;  // of the first booking refused
  int code = 0;           // its check code (pruef_text)
};

// Checks every booking as it stands; the first refusal, nullopt when all pass.
std::optional<Abgelehnt> alle_pruefen(Buchungskern& kern, std::vector<Satz>& buchungen);

// Writes the bookings from the next free number on as one unit of work.
// False when the unit could not be written: then none of them is on disk,
// and `geschrieben` (when given) says how many went through before.
[[nodiscard]] bool alle_buchen(Mandant& m, Buchungskern& kern, const std::vector<Satz>& buchungen,
                               std::size_t* geschrieben = nullptr);

}  // namespace fibu
