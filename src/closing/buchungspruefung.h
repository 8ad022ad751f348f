// The booking check ("Buchungsprüfung", command 23; also before the official
// journal and the year-end transfer): on copies of the GL-account,
// personal-account and open-item files every stored booking is taken back
// out through the posting engine, so that consistent books leave every
// account and item of the copies at zero; the bookings of the period under
// check are also checked one by one. The shorter date and balance check
// runs before the DATEV hand-over of all bookings.
#pragma once

#include "suite/entryform.h"

namespace fibu {

class Mandant;

// −1 shows the dialog "Selektion Buchungsprüfung"; any other value is the
// period to check (0 = the whole fiscal year) with the notes shown. True
// when the protocol holds no error line; false also when the dialog or the
// printer was cancelled or Esc stopped the run (then nothing is printed).
bool buchungspruefung(Mandant& m, int periode);

// The date and balance check over every booking of the file: documents
// whose lines differ in date or type, and a running sum that does not come
// back to zero. The same answers as buchungspruefung.
bool datum_saldenpruefung(Mandant& m);

// The dialog "Selektion Buchungsprüfung": the period and whether notes are
// printed.
class TFBuchungspruefung {
 public:
  explicit TFBuchungspruefung(Mandant& m);
  // False when it was cancelled.
  bool ausfuehren();
  int periode() const { return static_cast<int>(form_.zahl(1)); }
  bool hinweise() const { return form_.ja(2); }
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  TEntryForm form_;
};

}  // namespace fibu
