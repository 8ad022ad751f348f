// The automatic write-off of small remainders as discount
// (`TFSkontoausgleich`, "Automatische Ausbuchung von OP"): invoice items
// with exactly one payment whose remainder lies within the allowed
// discount and the thresholds are listed and, in booking mode, settled by
// a payment booking on the personal account against the discount account
// with its counter entry.
//
// A remainder qualifies when the threshold conditions that are set all
// hold: the absolute one (the remainder may exceed the allowed discount by
// at most that amount) and the percentage one (the remainder in percent of
// the invoice amount); with neither set the remainder may not exceed the
// allowed discount.
//
// All bookings of a booking run are checked before the first is written
// and are written as one unit of work: a refused booking or a crash leaves
// none of them.
#pragma once

#include <cstdint>

#include "frame/mandant.h"
#include "suite/betrag.h"
#include "suite/entryform.h"

namespace fibu {

// The settings of the dialog, kept in the base data.
struct Ausbuchungseinstellungen {
  bool kreditoren = false;
  std::int32_t skontokonto_debitoren = 0, skontokonto_kreditoren = 0;
  bool nur_fristgerecht = false;
  Datum buchungsdatum = kein_datum;  // for payments in closed periods
  Betrag schwelle_betrag = 0;        // cents; 0 = not set
  std::int64_t schwelle_prozent = 0;  // hundredths of a percent; 0 = not set

  std::int32_t skontokonto() const {
    return kreditoren ? skontokonto_kreditoren : skontokonto_debitoren;
  }
};

Ausbuchungseinstellungen ausbuchung_lesen(const Satz& basis);
void ausbuchung_ablegen(Satz& basis, const Ausbuchungseinstellungen& e);

// The checks of the dialog's OK in their order; the message of the first
// that fails, empty when all pass.
std::string ausbuchung_pruefen(Mandant& m, const Ausbuchungseinstellungen& e);

// The run without the dialog and its question: the list, and in booking
// mode the bookings. False when the printer was cancelled or bookings were
// due but none could be written (the list says why).
bool ausbuchung_ausfuehren(Mandant& m, const Ausbuchungseinstellungen& e, bool buchen);

class TFSkontoausgleich {
 public:
  // `buchen`: booking mode ("Erzeugen"), else the list only ("Liste").
  TFSkontoausgleich(Mandant& m, bool buchen);
  // False when cancelled, refused by a check, or the run failed.
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Ausbuchungseinstellungen einstellungen() const;

  Mandant& m_;
  bool buchen_;
  TEntryForm form_;
};

}  // namespace fibu
