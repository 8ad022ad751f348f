// The posting assistant (`TFBuchungsAssistent`, "Buchungs-Assistent"): one
// business event of a fixed list of fourteen turned into its booking lines
// (the line on the first account, its counter-line and, for a payment with
// cash discount, the discount line), appended after the last booking of the
// open-bookings view. The down-payment dialog (`TFAnzahlung`) creates the
// missing invoice item of a payment first.
//
// All lines of one event are written in one unit of work: the event is in
// the books whole or not at all.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "frame/mandant.h"
#include "posting/buchen.h"
#include "suite/entryform.h"

namespace fibu {

// One line of an event: a working booking with its gross amount, and what
// the open item it opens gets beyond the engine's defaults (0 / empty:
// the engine's default stays).
struct Buchungszeile {
  Satz satz{BuchungFelder::groesse};
  Datum faellig = 0;         // due date
  Datum rechnungsdatum = 0;  // item date; the discount date follows it
  std::string fremdbelegnr;  // the other party's document number
  // The cost centre of this line is the dialog's second one: a missing or
  // unknown cost centre is reported as such (codes 53, 54).
  bool kostenstelle2 = false;
};

struct Zeilenergebnis {
  bool ok = false;
  std::int64_t letzte = 0;  // number of the last line written
  // When not ok: the line that failed and the code of its check; code 0
  // when the books could not be written.
  std::size_t zeile = 0;
  int code = 0;
};

// Writes the lines as bookings after the last non-empty booking of the
// booking file's current view, in one unit of work: each line is checked
// (`buchung_pruefen` with the document-number interval) right before it is
// written, a line that opens an item gets its item. When a check or a write
// fails, nothing of the lines stays in the books.
Zeilenergebnis zeilen_buchen(Buchungskern& kern, std::vector<Buchungszeile> zeilen);

// "Anzahlung verbuchen": for a payment on a personal account whose open
// item does not exist yet, the invoice that creates the item: an "R" line
// on the account ("S" for a customer, "H" for a supplier) and its
// counter-line on the counter-account the user confirms, with that
// account's tax key.
class TFAnzahlung {
 public:
  // `zahlung`: the payment line (account, document number, date, period,
  // texts); `betrag`: the invoice amount, gross; `gegenkonto`: proposed.
  TFAnzahlung(Mandant& m, const Satz& zahlung, Betrag betrag, const std::string& gegenkonto = "");
  // True when the user confirmed ("&Buchen"); false when cancelled.
  bool ausfuehren();
  // The invoice line and its counter-line, after a confirmation.
  std::vector<Buchungszeile> zeilen() const;
  TEntryForm& form() { return form_; }

 private:
  Reaktion bestaetigen();

  Mandant& m_;
  Satz zahlung_;
  TEntryForm form_;
};

struct Vorgangsart;

class TFBuchungsAssistent {
 public:
  // `buchungsperiode`: the entry screen's entry period, which the period
  // choice may change. The booking file is in the open-bookings view.
  TFBuchungsAssistent(Mandant& m, Buchungskern& kern, int& buchungsperiode);

  // Runs the dialog until it is closed; every event is written with F8.
  void ausfuehren();
  TEntryForm& form() { return form_; }

  // Called after the lines of one event are written, with the number of
  // the last of them (the entry screen reloads its grid).
  std::function<void(std::int64_t letzte)> nach_dem_buchen;

 private:
  enum class Rolle { Erste, Gegen, Skonto, Anzahlung };
  const Vorgangsart& art() const;
  void art_einstellen();
  void leeren();
  bool pruefen(TEntryForm& f, int nr);
  bool personenkonto_pruefen(int nr);
  bool sachkonto_pruefen(int nr);
  bool datum_pruefen();
  bool op_pruefen(int nr);
  void skonto_vorschlagen(const Satz& op);
  void skonto_rechnen();
  Reaktion liste();
  Reaktion op_liste();
  Reaktion buchen();
  bool verrechnung_pruefen();
  std::vector<Buchungszeile> zeilen() const;
  int feld_fuer(Rolle rolle, int code) const;
  int kontofeld() const;
  int gegenfeld() const;
  std::string konto() const;
  std::string gegenkonto() const;
  void melde(const std::string& text, int feld);

  Mandant& m_;
  Buchungskern& kern_;
  int& periode_;
  TEntryForm form_;
};

}  // namespace fibu
