// "EG-Journale": every booking on a customer or supplier account of
// another EU country within a range of accounts, dates and country codes,
// with the total and, when asked for, the sums per country.
#pragma once

#include <cstdint>
#include <string>

#include "suite/entryform.h"
#include "suite/tpdate.h"

namespace fibu {

class Mandant;

struct EgJournal {
  std::int32_t konto_von = 0, konto_bis = 0;
  Datum datum_von = kein_datum, datum_bis = kein_datum;
  // Country codes compared with the leading characters of the id, each
  // bound by its own length, without regard to case.
  std::string land_von = "0", land_bis = "z";
  bool laendersummen = false;  // "Summe EG-Länder"
};

// The customer range and the dates of the current period, or of the whole
// year when every period is closed.
EgJournal eg_journal_vorgabe(const Mandant& m);

// False when the printer was cancelled, the bookings could not be read or
// the user pressed Esc.
bool eg_journal_drucken(Mandant& m, const EgJournal& j);

// "Selektion EG-Journale"
class TFEGJournal {
 public:
  explicit TFEGJournal(Mandant& m);
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  TEntryForm form_;
};

}  // namespace fibu
