// The DATEV hand-over (menu "Datev-Übergabe"): GL balances (361) and
// names (362), customer (363), supplier (364) and all bookings (365) on the
// DATEV data carrier, and the EXTF files DATEV imports today: the booking
// batch (367) and the customer and supplier master data (368). The
// settings live in DATEV.PAR; every run prints a protocol.
#pragma once

#include <string>

#include "exchange/datev_buchungen.h"
#include "exchange/datev_extf.h"
#include "exchange/datev_traeger.h"
#include "suite/entryform.h"
#include "suite/satz.h"

namespace fibu {

class Mandant;
class TFFibu;

// DATEV.PAR of the client's year; the defaults when there is none.
Satz datev_par_lesen(Mandant& m);
[[nodiscard]] bool datev_par_schreiben(Mandant& m, const Satz& par);

// Which dialog: the balances, the names, a booking hand-over (customers,
// suppliers, all) or one of the two EXTF files.
enum class DatevDialog { Salden, Namen, Debitoren, Kreditoren, Alle, Buchungsstapel, Stammdaten };

// The dialogs `TFDatevSalden`, `TFDatevNamen` and `TFDatevPerson` (and the
// two EXTF dialogs built the same way) over a DATEV.PAR record: the checks
// on OK in their documented order, then the fields normalised into it.
class TFDatev {
 public:
  TFDatev(Mandant& m, DatevDialog art, Satz& par);
  // False when the dialog was cancelled.
  bool ausfuehren();
  TEntryForm& form() { return form_; }
  Datum von() const;
  Datum bis() const;
  // The target as the user typed it, for the messages of the target check.
  const std::string& ziel_eingabe() const;

 private:
  bool pruefen(TEntryForm& f);
  void uebernehmen();
  bool hat(int nr) const { return form_.hat_feld(nr); }

  Mandant& m_;
  DatevDialog art_;
  Satz& par_;
  TEntryForm form_;
};

// The target directory as this system names it ("\" becomes "/", a "/" at
// the end); a directory on drive A or B asks for a diskette until the
// directory is there. False after the message when it cannot take the files.
[[nodiscard]] bool datev_ziel_pruefen(Mandant& m, const std::string& ziel);

// The check for incomplete bookings before a hand-over of all bookings:
// a protocol of documents whose lines do not mirror each other or do not
// balance. Prints only; false when the printer was cancelled.
bool unvollstaendige_buchungen(Mandant& m, Datum von, Datum bis, bool eroeffnung_unterdruecken);

// The runs; false when the run was cancelled or refused, or its files
// could not be written.
bool datev_salden(Mandant& m, bool namen);
bool datev_buchungen_uebergeben(Mandant& m, DatevAuswahl auswahl);
bool datev_extf(Mandant& m, bool stammdaten);

// Registers 361-365, 367 and 368.
void datev_registrieren(TFFibu& fibu);

}  // namespace fibu
