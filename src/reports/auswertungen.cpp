#include "reports/auswertungen.h"

#include "frame/tffibu.h"
#include "reports/journal.h"
#include "reports/kontoauszug.h"
#include "reports/saldenliste.h"

namespace fibu {

void auswertungen_registrieren(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  fibu.registriere_pruefend(3131, [&m] { return TFSaldenlisteSachkonto(m).ausfuehren(); });
  fibu.registriere_pruefend(3132,
                            [&m] { return TFSaldenlistePersonenkonto(m, false).ausfuehren(); });
  fibu.registriere_pruefend(3133,
                            [&m] { return TFSaldenlistePersonenkonto(m, true).ausfuehren(); });
  fibu.registriere_pruefend(3141,
                            [&m] { return TFKontoauszug(m, Auszugsperioden::Offen).ausfuehren(); });
  fibu.registriere_pruefend(
      3142, [&m] { return TFKontoauszug(m, Auszugsperioden::Abgeschlossen).ausfuehren(); });
  fibu.registriere_pruefend(3143, [&m] { return TFKontoauszugEinzeln(m).ausfuehren(); });
  fibu.registriere_pruefend(3121, [&m] { return TFBuchungsJournal(m).ausfuehren(); });
  fibu.registriere_pruefend(315, [&m] { return TFRechnungsJournal(m).ausfuehren(); });
}

}  // namespace fibu
