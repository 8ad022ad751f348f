// Balance lists ("Saldenliste"): one line per account with its opening
// balance, the debit and credit of the last period of the range
// ("Monatswerte"), of the whole range ("Jahreswerte") and the balance, read
// from the account records only. The GL list sums by account class, the
// lists of customers and suppliers by the groups their accounts mark; both
// end with "Gesamtsumme", the GL list over its complete range also with the
// consistency notices.
#pragma once

#include <cstdint>

#include "frame/mandant.h"
#include "suite/entryform.h"

namespace fibu {

struct SaldenlisteSachkonten {
  int periode_von = 1, periode_bis = 1;
  std::int32_t konto_von = 0, konto_bis = 0;
  int klassenstelle = 1;       // "Stelle der Klassenbildung"
  bool nur_mit_umsatz = true;  // "Nur Konten mit Umsatz ausgeben"
  bool fremdwaehrung = false;  // "Saldo zusätzlich in Fremdwährung ausgeben"
};

struct SaldenlistePersonen {
  bool kreditoren = false;
  int periode_von = 1, periode_bis = 1;
  std::int32_t konto_von = 0, konto_bis = 0;
  bool nur_mit_umsatz = true;
  bool nach_suchname = false;  // "Sortierung": "Suchname" instead of "Numerisch"
};

// The settings the dialogs start with for the open client.
SaldenlisteSachkonten saldenliste_vorgabe(const Mandant& m);
SaldenlistePersonen saldenliste_vorgabe(const Mandant& m, bool kreditoren);

// False when the printer was cancelled.
bool saldenliste_drucken(Mandant& m, const SaldenlisteSachkonten& s);
bool saldenliste_drucken(Mandant& m, const SaldenlistePersonen& s);

// The dialog "Selektion Saldenliste Sachkonto", then the list.
class TFSaldenlisteSachkonto {
 public:
  explicit TFSaldenlisteSachkonto(Mandant& m);
  // False when it printed nothing (cancelled).
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  TEntryForm form_;
};

// The dialog "Selektion Saldenliste Personenkonto", then the list of the
// customers or the suppliers.
class TFSaldenlistePersonenkonto {
 public:
  TFSaldenlistePersonenkonto(Mandant& m, bool kreditoren);
  // False when it printed nothing (cancelled).
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  bool kreditoren_;
  TEntryForm form_;
};

}  // namespace fibu
