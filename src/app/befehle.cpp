#include "app/befehle.h"

#include "banking/bankbefehle.h"
#include "banking/tfbankbuchung.h"
#include "closing/konsistenz.h"
#include "exchange/datenaustausch.h"
#include "frame/tffibu.h"
#include "masters/stammdaten.h"
#include "openitems/opbefehle.h"
#include "posting/assistent.h"
#include "posting/tfbuchung.h"
#include "reports/auswertungen.h"
#include "reports/kontoauszug.h"
#include "vat/steueranmeldung.h"
#include "vat/zusammenfassende_meldung.h"

namespace fibu {

namespace {

// 21 "Buchen": the entry screen, its context menu reaching the statement
// of the row's account and the master-data commands, F6 the assistant.
void buchen(TFFibu& fibu) {
  Mandant& m = fibu.mandant();
  {
    Buchungskern kern(m);
    TFBuchung b(m, kern);
    b.kontoauszug = [&m](std::int32_t konto) { TFKontoauszugEinzeln(m, konto).ausfuehren(); };
    b.befehl = [&fibu](int nummer) { fibu.unterbefehl(nummer); };
    b.befehl_verfuegbar = [&fibu](int nummer) { return fibu.verfuegbar(nummer); };
    b.assistent = [&m, &kern](int& periode) { TFBuchungsAssistent(m, kern, periode).ausfuehren(); };
    b.ausfuehren();
  }
  // The open items and cost types, opened for the screen, close with it.
  m.opstamm->schliessen();
  m.kostart->schliessen();
}

}  // namespace

void befehle_registrieren(TFFibu& fibu) {
  stammdaten_registrieren(fibu);
  auswertungen_registrieren(fibu);
  fremddaten_registrieren(fibu);
  abschluss_registrieren(fibu);
  offeneposten_registrieren(fibu);
  steueranmeldung_registrieren(fibu);
  euro_auswertungen_registrieren(fibu);
  fibu.registriere(21, [&fibu] { buchen(fibu); });
  // 22 "Bankauszug": the statement screen, its context menu reaching the
  // account sheets.
  bank_registrieren(fibu, [&fibu](TFBankbuchung& b) {
    Mandant& m = fibu.mandant();
    b.kontoauszug = [&m](std::int32_t konto) { TFKontoauszugEinzeln(m, konto).ausfuehren(); };
  });
}

}  // namespace fibu
