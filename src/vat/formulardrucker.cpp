// The official form's printer as the program uses it. It lives in the
// library of the form layouts; a build without that library (it is linked
// when it has sources) says so instead of printing.
#include "frame/mandant.h"
#include "vat/steueranmeldung.h"

namespace fibu {

Formulardrucker amtlicher_formulardrucker() {
#ifdef FIBU_MIT_STEUERFORMULAR
  return {steuerformular_drucken, vorsteuerzeile};
#else
  return {[](Mandant& m, const Formularauftrag&, Formularwerte&) {
            m.ui().ShowMessageMain(
                "Der Druck des amtlichen Formulars ist in dieser Programmversion nicht enthalten!");
            return false;
          },
          [](int jahr) { return jahr < 2012 ? 55 : 56; }};
#endif
}

}  // namespace fibu
