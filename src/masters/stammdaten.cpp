#include "masters/stammdaten.h"

#include "frame/tffibu.h"
#include "masters/kostenrechnung.h"
#include "masters/personenkonto.h"
#include "masters/sachkonto.h"

namespace fibu {

void stammdaten_registrieren(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  fibu.registriere(121, [&m] { TFSachkonto(m).ausfuehren(); });
  fibu.registriere(122, [&m] { sachkontenplan(m); });
  fibu.registriere(123, [&m] { sachkonten_loeschen(m); });
  // The address master lies in the suite's address directory (KONF.DAT).
  fibu.registriere(131, [&fibu, &m] {
    TFPersonenkonto(m, fibu.konf ? fibu.konf->verzeichnisse[2] : std::string()).ausfuehren();
  });
  fibu.registriere(132, [&m] { personenkontenplan(m); });
  fibu.registriere(133, [&m] { personenkonten_loeschen(m); });
  const std::pair<int, Kostenstamm> kostenstamm[] = {{152, Kostenstamm::Leitkostenstelle},
                                                     {153, Kostenstamm::Kostenstelle},
                                                     {154, Kostenstamm::Verteilschluessel}};
  for (const auto& eintrag : kostenstamm) {
    const Kostenstamm art = eintrag.second;
    fibu.registriere(eintrag.first * 10 + 1, [&m, art] { TFKostenstamm(m, art).ausfuehren(); });
    fibu.registriere(eintrag.first * 10 + 2, [&m, art] { kostenliste(m, art); });
  }
  fibu.registriere(1551, [&m] { TFKostenart(m).ausfuehren(); });
  fibu.registriere(1552, [&m] { kostenartenliste(m); });
}

}  // namespace fibu
