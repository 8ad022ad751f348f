#include "banking/bankbefehle.h"

#include "banking/tfbankbuchung.h"
#include "frame/tffibu.h"

namespace fibu {

void bank_registrieren(TFFibu& fibu, std::function<void(TFBankbuchung&)> einrichten) {
  fibu.registriere_pruefend(22, [&fibu, einrichten] {
    Mandant& m = fibu.mandant();
    bool ok;
    {
      TFBankbuchung b(m);
      b.befehl = [&fibu](int nummer) { fibu.unterbefehl(nummer); };
      b.befehl_verfuegbar = [&fibu](int nummer) { return fibu.verfuegbar(nummer); };
      if (einrichten) einrichten(b);
      ok = b.ausfuehren();
    }
    // The cost types the posting engine opened close with the screen.
    m.kostart->schliessen();
    return ok;
  });
}

}  // namespace fibu
