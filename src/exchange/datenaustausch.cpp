#include "exchange/datenaustausch.h"

#include "exchange/fremdimport.h"
#include "frame/tffibu.h"

namespace fibu {

void fremddaten_registrieren(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  fibu.registriere(27, [&m] { TFFremddaten(m).ausfuehren(); });
}

}  // namespace fibu
