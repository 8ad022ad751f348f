#include "openitems/opbefehle.h"

#include "frame/tffibu.h"
#include "openitems/ausbuchung.h"
#include "openitems/lastschrift.h"
#include "openitems/mahndaten.h"
#include "openitems/mahnlauf.h"
#include "openitems/opauswertungen.h"
#include "openitems/opliste.h"
#include "openitems/opstamm.h"

namespace fibu {

void offeneposten_registrieren(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  fibu.registriere(3411, [&m] { TFOPStamm(m, false).ausfuehren(); });
  fibu.registriere(3412, [&m] { TFOPStamm(m, true).ausfuehren(); });
  fibu.registriere_pruefend(342, [&m] { return TFOPListe1(m, false).ausfuehren(); });
  fibu.registriere_pruefend(343, [&m] { return TFOPListe1(m, true).ausfuehren(); });
  fibu.registriere_pruefend(345, [&m] { return TFFinanzdisposition(m).ausfuehren(); });
  fibu.registriere_pruefend(347, [&m] { return zahlungsmoral_drucken(m); });
  fibu.registriere_pruefend(3461, [&m] { return TFSkontoausgleich(m, true).ausfuehren(); });
  fibu.registriere_pruefend(3462, [&m] { return TFSkontoausgleich(m, false).ausfuehren(); });
  mahndaten_registrieren(fibu);
  fibu.registriere_pruefend(344, [&fibu, &m] {
    return TFMahnDruck(m, fibu.suite().briefkopf, fibu.suite().vierstellige_jahre,
                       fibu.konf ? fibu.konf->verzeichnisse[2] : std::string())
        .ausfuehren();
  });
  fibu.registriere_pruefend(254,
                            [&fibu, &m] { return lastschrift(m, fibu.suite().diskettenpfad); });
  fibu.opliste = [&m](const std::string& kunde) { return opliste_fuer_konto(m, kunde); };
}

}  // namespace fibu
