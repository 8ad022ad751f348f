#include "masters/stammdaten.h"

#include "frame/tffibu.h"
#include "masters/sachkonto.h"

namespace fibu {

void stammdaten_registrieren(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  fibu.registriere(121, [&m] { TFSachkonto(m).ausfuehren(); });
  fibu.registriere(122, [&m] { sachkontenplan(m); });
  fibu.registriere(123, [&m] { sachkonten_loeschen(m); });
}

}  // namespace fibu
