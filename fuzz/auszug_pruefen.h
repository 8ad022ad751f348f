// What every reader of bank statement files promises for any bytes: a
// refused file has no lines, each line has one side with a positive
// amount and a date, and the protocol knows where each line came from.
// A broken promise ends the fuzz run.
#pragma once

#include "banking/kontoauszugsdatei.h"

namespace fibu {

inline void auszug_pruefen(const Auszugsdatei& d) {
  if (!d.fehler.empty() && (!d.zeilen.empty() || !d.abgelehnt.empty())) __builtin_trap();
  if (d.herkunft.size() != d.zeilen.size()) __builtin_trap();
  for (const Auszugszeile& z : d.zeilen) {
    if ((z.soll > 0) == (z.haben > 0) || z.soll < 0 || z.haben < 0) __builtin_trap();
    if (z.datum == kein_datum) __builtin_trap();
  }
}

}  // namespace fibu
