#include "reports/auswertungen.h"

#include "frame/tffibu.h"
#include "reports/kontoauszug.h"
#include "reports/saldenliste.h"

namespace fibu {

void auswertungen_registrieren(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  fibu.registriere(3131, [&m] { TFSaldenlisteSachkonto(m).ausfuehren(); });
  fibu.registriere(3132, [&m] { TFSaldenlistePersonenkonto(m, false).ausfuehren(); });
  fibu.registriere(3133, [&m] { TFSaldenlistePersonenkonto(m, true).ausfuehren(); });
  fibu.registriere(3141, [&m] { TFKontoauszug(m, Auszugsperioden::Offen).ausfuehren(); });
  fibu.registriere(3142, [&m] { TFKontoauszug(m, Auszugsperioden::Abgeschlossen).ausfuehren(); });
  fibu.registriere(3143, [&m] { TFKontoauszugEinzeln(m).ausfuehren(); });
}

}  // namespace fibu
