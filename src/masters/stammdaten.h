// The menu commands of the account master data, registered with the main
// window's dispatch.
#pragma once

namespace fibu {

class TFFibu;

void stammdaten_registrieren(TFFibu& fibu);

}  // namespace fibu
