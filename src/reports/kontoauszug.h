// Account sheets ("Kontoauszüge"): account by account every booking of a
// range of periods, with the carry-forward from the periods before, period
// sums and year-to-date values; and the statement of one account over a
// date range with a running balance ("Kontoauszug-Einzelkonto"). Both read
// the bookings through the index by account and date, so archived and open
// periods come from the same file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "frame/mandant.h"
#include "suite/entryform.h"
#include "suite/tpdate.h"

namespace fibu {

struct Kontoauszuege {
  int periode_von = 1, periode_bis = 1;
  std::int32_t konto_von = 0, konto_bis = 0;
  bool neue_seite = false;      // "Neue Seite bei Kontenwechsel"
  bool periodensummen = false;  // "Druck Periodensummen"
  bool kostenstellen = false;   // "Druck Kostenstellen"
};

// The two menu forms: the open periods (from the current one to the last
// of the fiscal year) and the closed ones (1 to the current one − 1).
enum class Auszugsperioden { Offen, Abgeschlossen };

struct Periodenbereich {
  int von = 1, bis = 1;
};

// The period range of a form; nullopt when it is empty (no period closed
// yet, or every period closed for the open ones).
std::optional<Periodenbereich> auszugsperioden(const Mandant& m, Auszugsperioden form);
// The settings the dialog starts with: the range of the form and the
// client's whole account range.
Kontoauszuege kontoauszug_vorgabe(const Mandant& m, Periodenbereich bereich);

// False when the printer was cancelled.
bool kontoauszuege_drucken(Mandant& m, const Kontoauszuege& e);

struct KontoauszugEinzeln {
  std::int32_t konto = 0;
  Datum von = kein_datum, bis = kein_datum;
};

// The fiscal year's first to last day.
KontoauszugEinzeln kontoauszug_einzeln_vorgabe(const Mandant& m);
// Whether the account exists (GL or personal, by the ranges).
bool kontoauszug_konto_vorhanden(Mandant& m, std::int32_t konto);
// False when the account is missing or the printer was cancelled.
bool kontoauszug_einzeln_drucken(Mandant& m, const KontoauszugEinzeln& e);

// The dialog "Selektion Kontoauszug", then the sheets.
class TFKontoauszug {
 public:
  TFKontoauszug(Mandant& m, Auszugsperioden form);
  // False when it printed nothing (refused, cancelled).
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  bool pruefen(TEntryForm& f, int nr);
  Reaktion konten();

  Mandant& m_;
  Auszugsperioden art_;
  Periodenbereich bereich_;
  TEntryForm form_;
};

// The dialog "Selektion Kontoauszug-Einzelkonto", then the statement;
// `konto` is proposed (the entry screen's row), 0 for none.
class TFKontoauszugEinzeln {
 public:
  explicit TFKontoauszugEinzeln(Mandant& m, std::int32_t konto = 0);
  // False when it printed nothing (refused, cancelled).
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  TEntryForm form_;
};

}  // namespace fibu
