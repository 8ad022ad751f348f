// Evaluations of the open items: the payment behaviour of the customers
// ("Zahlungsmoral Debitoren"), an amount-weighted average delay in days
// per account, and the finance disposition ("Finanzdisposition"), the open
// amounts of customers and suppliers by due-date intervals from a
// reference date.
#pragma once

#include "frame/mandant.h"
#include "suite/entryform.h"

namespace fibu {

// Payment behaviour: for each customer account the days its invoices
// stayed unpaid after their due date, weighted by amount (a Diverse item
// is rated on its own, under its own name). Only the time after the due
// date and only an amount still owed count as delay; the open amount runs
// until the business date. False when the printer was cancelled, the run
// was stopped with Esc or the booking file could not be read.
bool zahlungsmoral_drucken(Mandant& m);

// Finance disposition on the reference date `stichtag`: the open amounts
// of the customers (as owed to the client) and of the suppliers (as owed by
// it) in the intervals of the ten dispo day values of the base data, with
// their running totals. Intervals end at the last date there is; those
// that would begin after it are left out. False when the printer was
// cancelled or the run was stopped with Esc.
bool finanzdisposition_drucken(Mandant& m, Datum stichtag);

// The dialog "Selektion Finanzdisposition": the reference date (today
// unless typed; a cleared field means today as well), then the report.
class TFFinanzdisposition {
 public:
  explicit TFFinanzdisposition(Mandant& m);
  // False when it printed nothing (cancelled).
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  TEntryForm form_;
};

}  // namespace fibu
