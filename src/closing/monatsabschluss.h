// Month-end ("Monatsabschluß") of the current period and the undo of all
// month-ends. Month-end moves the period's printed (locked) bookings, in
// date order, into the archive ARCHIV.DAT and rebuilds BUCHUNG.DA1 as the
// archive followed by the bookings still open, renumbered; the period
// becomes "Monatsabschluß" and the next one current. Balances are not
// touched: they hold every booking already.
//
// Which bookings are archived: the locked ones of the period and of
// earlier periods. A booking posted into a period after its journal was
// printed (an import may do that) is not locked; it stays open, appears on
// the next journal, which locks it, and is archived by the next month-end.
// So every booking is in BUCHUNG.DA1 exactly once.
//
// Both runs replace whole files: the new archive, booking file and its
// index, BASIS.PAR and JOURNAL.PAR are written beside the old ones and
// switched together (Umbaulauf); a crash at any point leaves the client as
// it was before the run or as after it, and the next opening says which.
#pragma once

#include "frame/mandant.h"

namespace fibu {

// Menu "Monatsabschluß": the checks and questions, then the run. False
// when refused, cancelled or failed (the message says which).
bool monatsabschluss(Mandant& m);
// The run of the current period without its questions (also what the
// repeated month-end runs); false with a message when it failed or the
// user stopped it (nothing is then changed).
bool monatsabschluss_ausfuehren(Mandant& m);

// The hidden "Monatsabschluß 12x": its questions, on request the booking
// check of the whole year, then for every period of the year the booking
// journal (first print, locking) and month-end. Offered only while no
// period is closed yet. False when refused or a step failed (the periods
// closed so far stay closed, each as a whole).
bool monatsabschluss_alle(Mandant& m);

// Menu "Monatsabschlüsse rückgängig machen": questions, then every lock
// cleared, every printed or closed period active again, the archive count
// 0 and the current period 1. False when refused or failed.
bool monatsabschluesse_rueckgaengig(Mandant& m);

}  // namespace fibu
