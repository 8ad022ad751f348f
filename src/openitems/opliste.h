// The OP lists ("OP-Liste Debitoren" / "OP-Liste Kreditoren"): every open
// item of a selection with its payment lines by date, the remaining open
// amount, subtotals per account and the totals of invoices and credit
// notes. The list recomputes each item's open amount from its payments and
// compares account subtotals with the account balances and the grand total
// with the balances of all accounts of the kind; every difference is
// printed as a hint.
#pragma once

#include <cstdint>
#include <string>

#include "frame/mandant.h"
#include "suite/entryform.h"

namespace fibu {

struct OpListeAuswahl {
  enum class Sortierung { KontoNumerisch, KontoAlphanumerisch, Belegnummer };

  bool kreditoren = false;
  std::int32_t konto_von = 0, konto_bis = 0;
  int filter_von = 0, filter_bis = 99;
  std::int64_t beleg_von = 0, beleg_bis = 9999999;
  Datum datum_von = kein_datum, datum_bis = kein_datum;  // kein_datum: open end
  Sortierung sortierung = Sortierung::KontoNumerisch;
  bool nur_faellig = false;  // "Fällig bis" instead of "Alle"
  Datum faellig_bis = kein_datum;
  bool mit_ausgeglichenen = false;
  bool mit_skonto = false;
};

// The selection the dialog starts with: the whole account range of the
// kind, "Alle", sorted by account number.
OpListeAuswahl opliste_vorgabe(const Mandant& m, bool kreditoren);

// Prints the list; false when the printer was cancelled, the list was
// stopped with Esc (it then says it is incomplete and compares nothing) or
// the booking file could not be read (the message says so).
bool opliste_drucken(Mandant& m, const OpListeAuswahl& auswahl);

// The list of one customer without the dialog (the "OPLISTE" request):
// that account from and to, items due up to today, by account. False when
// the text names no customer account or nothing was printed.
bool opliste_fuer_konto(Mandant& m, const std::string& kundennummer);

// The dialog "Liste der Offenen Posten" of the customers or the suppliers,
// then the list.
class TFOPListe1 {
 public:
  TFOPListe1(Mandant& m, bool kreditoren);
  // False when it printed nothing (cancelled).
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  bool kreditoren_;
  TEntryForm form_;
};

}  // namespace fibu
