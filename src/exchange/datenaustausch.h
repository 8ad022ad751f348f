// The menu commands of the data exchange, registered with the main
// window's dispatch.
#pragma once

namespace fibu {

class TFFibu;

void fremddaten_registrieren(TFFibu& fibu);

}  // namespace fibu
