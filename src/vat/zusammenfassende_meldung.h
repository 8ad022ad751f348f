// "Zusammenfassende Meldung": for a range of periods, the invoices and
// credit notes booked on each customer in another EU country, one line per
// VAT identification number in whole euros; printed, and written as the
// file that the online portal of the Federal Central Tax Office (BZSt)
// imports.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "suite/betrag.h"
#include "suite/entryform.h"

namespace fibu {

class Mandant;
class TFFibu;

// One line: country code, the number after it, and the sum of the
// customer's invoices less credit notes, cut to whole currency units
// (cents, a multiple of 100).
struct ZmZeile {
  std::string land;
  std::string nummer;
  Betrag betrag = 0;
};

// Kind of supply the portal asks for on every line.
enum class Leistungsart : char {
  Lieferung = 'L',         // intra-Community supply of goods
  SonstigeLeistung = 'S',  // services
  Dreieck = 'D',           // triangular transaction
};

struct ZmAuswahl {
  int periode_von = 1, periode_bis = 1;
  bool datei = true;      // also write the portal file
  std::string dateiname;  // relative names go to the data directory
  Leistungsart art = Leistungsart::Lieferung;
};

// The periods the dialog starts with: with 12 periods the quarter that
// holds the current period, otherwise the current period alone.
ZmAuswahl zm_vorgabe(const Mandant& m);
// "ZM_2024_01-03.CSV"
std::string zm_dateiname(const Mandant& m, int von, int bis);

// The lines in account order of the first account of each id; nullopt
// after a message when the bookings cannot be read, or when the user
// pressed Esc.
std::optional<std::vector<ZmZeile>> zm_berechnen(Mandant& m, int von, int bis);

// The portal file: the version line "#v3.0", the column names, then
// "FR12345678901,1000,L" per customer; CR LF ends each line.
std::string zm_csv(const std::vector<ZmZeile>& zeilen, Leistungsart art);

// Prints the list and, when asked for, writes the file. False when the
// printer was cancelled, the bookings could not be read or the file could
// not be written.
bool zusammenfassende_meldung(Mandant& m, const ZmAuswahl& a);

class TFZusammenfassendeMeldung {
 public:
  explicit TFZusammenfassendeMeldung(Mandant& m);
  // False when the dialog was cancelled or the run did not finish.
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  TEntryForm form_;
};

// Registers the EU sales list (351) and the EU journal (353).
void euro_auswertungen_registrieren(TFFibu& fibu);

}  // namespace fibu
