#include "exchange/datenaustausch.h"

#include "exchange/datev_export.h"
#include "exchange/fremdimport.h"
#include "frame/tffibu.h"

namespace fibu {

void fremddaten_registrieren(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  fibu.registriere_pruefend(27, [&m] { return TFFremddaten(m).ausfuehren(); });
  datev_registrieren(fibu);
}

}  // namespace fibu
