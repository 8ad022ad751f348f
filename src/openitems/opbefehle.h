// The open-item functions in the main window's command table and the
// "OPLISTE" request of other programs.
#pragma once

namespace fibu {

class TFFibu;

void offeneposten_registrieren(TFFibu& fibu);

}  // namespace fibu
