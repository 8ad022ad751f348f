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
