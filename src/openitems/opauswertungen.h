// Evaluations of the open items: the payment behaviour of the customers
// ("Zahlungsmoral Debitoren"), an amount-weighted average delay in days
// per account.
#pragma once

#include "frame/mandant.h"

namespace fibu {

// Payment behaviour: for each customer account the days its invoices
// stayed unpaid after their due date, weighted by amount (a Diverse item
// is rated on its own, under its own name). Only the time after the due
// date and only an amount still owed count as delay; the open amount runs
// until the business date. False when the printer was cancelled, the run
// was stopped with Esc or the booking file could not be read.
bool zahlungsmoral_drucken(Mandant& m);

}  // namespace fibu
