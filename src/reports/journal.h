// The journals: the booking journal of the current period ("Buchungsjournal",
// the official one: its first print locks the period's bookings and marks
// the period "Journal gedruckt"), the check journal of a range of rows and
// dates of one period ("Prüfjournal", no side effects) and the invoice
// journal of the invoices, credit notes or payments of a range of accounts
// ("Rechnungsjournal").
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "frame/mandant.h"
#include "suite/entryform.h"
#include "suite/tpdate.h"

namespace fibu {

// --- Booking journal ---

struct Buchungsjournal {
  int periode = 1;
  // A first print locks every printed booking, sets the period to status 2
  // and saves the base data, all in one unit of work; a repeat print
  // ("Druckwiederholung") changes nothing.
  bool erstdruck = true;
};

// The client's current period; a first print unless its journal is printed.
Buchungsjournal buchungsjournal_vorgabe(const Mandant& m);

// Prints the journal of the period in the order of date, then booking
// number, and on a first print locks what it printed. False when the
// printer was cancelled, the user stopped the run, or the lock could not
// be written (then nothing is locked and the status is unchanged).
bool buchungsjournal_drucken(Mandant& m, const Buchungsjournal& j);

// The check of bookings, balances and open items that must pass before a
// first print; empty: passed.
using Buchungspruefung = std::function<bool(Mandant& m, int periode)>;

// The questions, the dialog "Selektion Buchungsjournal", the booking check
// before a first print, then the journal.
class TFBuchungsJournal2 {
 public:
  explicit TFBuchungsJournal2(Mandant& m, Buchungspruefung pruefung = {});
  void setze_buchungspruefung(Buchungspruefung pruefung) { pruefung_ = std::move(pruefung); }
  // False when it printed nothing (refused, cancelled).
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  Buchungspruefung pruefung_;
  TEntryForm form_;
};

// --- Check journal ---

// Rows are numbered as in the entry screen: booking number − archive count.
struct Pruefjournal {
  int periode = 1;
  std::int64_t zeile_von = 1, zeile_bis = 0;
  Datum datum_von = kein_datum, datum_bis = kein_datum;
};

// The current period, every open row, the period's first to last day.
Pruefjournal pruefjournal_vorgabe(Mandant& m);
// Also for a period other than the current one.
Pruefjournal pruefjournal_vorgabe(Mandant& m, int periode);

// False when the printer was cancelled or the booking file could not be read.
bool pruefjournal_drucken(Mandant& m, const Pruefjournal& j);

// The dialog "Selektion Prüfjournal", then the journal.
class TFBuchungsJournal {
 public:
  explicit TFBuchungsJournal(Mandant& m);
  // False when it printed nothing (cancelled).
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  bool pruefen(TEntryForm& f, int nr);

  Mandant& m_;
  TEntryForm form_;
};

// --- Invoice journal ---

struct Rechnungsjournal {
  enum class Kontoart { Debitoren, Kreditoren, Sachkonten };
  enum class Belegart { Rechnung, Gutschrift, Zahlung };
  enum class Sortierung { Belegnummer, Buchungsdatum };
  Kontoart kontoart = Kontoart::Debitoren;
  std::int32_t konto_von = 0, konto_bis = 99999999;
  Datum datum_von = kein_datum, datum_bis = kein_datum;
  // Empty: that side is open. Whole numbers compare as numbers.
  std::string beleg_von, beleg_bis;
  std::int32_t gegen_von = 0, gegen_bis = 99999999;
  Belegart belegart = Belegart::Rechnung;
  Sortierung sortierung = Sortierung::Belegnummer;
  bool zeilennummer = false;             // "Zeilennummer ausgeben"
  bool eroeffnung = false;               // "Eröffnungsbuchungen berücksichtigen"
  bool negative_als_gutschrift = false;  // "Negative Rechnung auch als Gutschrift berücksichtigen"
};

// Customers over the fiscal year, every document and counter-account.
Rechnungsjournal rechnungsjournal_vorgabe(const Mandant& m);
// The account range of a kind of account.
void rechnungsjournal_konten(const Mandant& m, Rechnungsjournal& j);

// False when the printer was cancelled or the bookings could not be read.
bool rechnungsjournal_drucken(Mandant& m, const Rechnungsjournal& j);

// The dialog "Selektion Rechnungsjournal", then the journal.
class TFRechnungsJournal {
 public:
  explicit TFRechnungsJournal(Mandant& m);
  // False when it printed nothing (cancelled).
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  TEntryForm form_;
};

}  // namespace fibu
