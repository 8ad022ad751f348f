#include "reports/auswertungen.h"

#include "frame/tffibu.h"
#include "reports/saldenliste.h"

namespace fibu {

void auswertungen_registrieren(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  fibu.registriere(3131, [&m] { TFSaldenlisteSachkonto(m).ausfuehren(); });
  fibu.registriere(3132, [&m] { TFSaldenlistePersonenkonto(m, false).ausfuehren(); });
  fibu.registriere(3133, [&m] { TFSaldenlistePersonenkonto(m, true).ausfuehren(); });
}

}  // namespace fibu
