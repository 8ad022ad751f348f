// The consistency check ("Konsistenzprüfung", command 41): every save check
// of the base-data pages and of the GL accounts, personal accounts, cost
// centres, allocation keys and cost types, run over the stored data with
// the message routine printing protocol lines, plus the overlap of the
// account roles in the base data. A check without any message marks base
// and master data consistent; the main window's guard and the runs that
// rebuild the books rely on that.
#pragma once

namespace fibu {

class Mandant;
class TFFibu;

// Runs the check with its protocol "Konsistenzprüfung". True when nothing
// was reported: then both consistent flags are set and BASIS.PAR is
// written (false when that write fails). A cancelled printer ends it with
// false and the flags as they were.
bool konsistenzpruefung(Mandant& m);

// The self-check of re-posting and the year-end transfer: the check runs
// whatever the flags say; when it fails the user is told that the function
// is abandoned, and the answer is false.
bool konsistenz_selbstpruefung(Mandant& m);

// Registers command 41 and hands the check to the main window's guard.
void abschluss_registrieren(TFFibu& fibu);

}  // namespace fibu
