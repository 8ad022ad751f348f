// The official form's printer as the program uses it.
#include "vat/steueranmeldung.h"

namespace fibu {

Formulardrucker amtlicher_formulardrucker() { return {steuerformular_drucken, vorsteuerzeile}; }

}  // namespace fibu
