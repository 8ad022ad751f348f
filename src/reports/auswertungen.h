// The menu commands of the ledger reports, registered with the main
// window's dispatch.
#pragma once

namespace fibu {

class TFFibu;

void auswertungen_registrieren(TFFibu& fibu);

}  // namespace fibu
