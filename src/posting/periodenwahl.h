// The choice of the period new bookings go to (`TFPeriodenwahl`), asked
// when a booking's date lies outside the entry period: only periods whose
// journal is not printed yet (status "Nicht aktiv" or "Aktiv") are taken.
#pragma once

#include <optional>

#include "frame/mandant.h"
#include "suite/entryform.h"

namespace fibu {

// Whether bookings may still go to period p (1..12, status 0 or 1).
bool periode_bebuchbar(const Satz& basis, int p);
// The period whose first and last day enclose the date; 0 for none.
int periode_des_datums(const Satz& basis, Datum datum);

// The fiscal year: the first day of period 1 to the last day of the last
// period.
Datum geschaeftsjahr_von(const Satz& basis);
Datum geschaeftsjahr_bis(const Satz& basis);

// The entry period for a booking dated `datum`: the entry period itself
// when the date lies in it and the period may still be posted; otherwise the period choice opens with the
// period of the date preselected and answers the chosen period, or nullopt
// when the user cancels.
std::optional<int> periode_fuer_datum(Mandant& m, Datum datum, int eingabeperiode);

class TFPeriodenwahl {
 public:
  // `vorschlag`: the period preselected (that of the booking's date).
  TFPeriodenwahl(Mandant& m, int vorschlag);
  // The chosen period; nullopt when the user cancels.
  std::optional<int> ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  TEntryForm form_;
};

}  // namespace fibu
