// The small dialogs of the posting entry screen: the account pick list,
// jump to a row, the kind of an opening booking, the booking texts, the
// foreign currency, the document date, and the document search.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "frame/mandant.h"
#include "suite/betrag.h"
#include "suite/entryform.h"

namespace fibu {

// The pick list of the accounts of a grid's account column: personal
// accounts or GL accounts, by number (key 1) or by search name (key 2),
// starting at `key`. The number chosen; nullopt when cancelled.
std::optional<std::string> konto_auswaehlen(Mandant& m, bool personen, int key_nr, std::string key);

// "Springen": the row to go to, 1..`hoechste`.
class TFBuchungSpringen {
 public:
  TFBuchungSpringen(Mandant& m, std::int64_t zeile, std::int64_t hoechste);
  std::optional<std::int64_t> ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  TEntryForm form_;
};

// The kind of an opening booking on a personal account: 0 invoice,
// 1 credit note, 2 payment.
class TFBuchungEroeffnung {
 public:
  TFBuchungEroeffnung(Mandant& m, int art);
  std::optional<int> ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  TEntryForm form_;
};

// Text 1 and text 2 of a booking.
class TFBuchungsText {
 public:
  TFBuchungsText(Mandant& m, Satz& buchung);
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  Satz& b_;
  TEntryForm form_;
};

// "Fremdwährung erfassen": the amount in the other currency and the amount
// it makes in the client's; 0 turns the booking back into a standard one.
class TFWaehrung {
 public:
  TFWaehrung(Mandant& m, Satz& buchung);
  bool ausfuehren();
  TEntryForm& form() { return form_; }
  // The amount in the client's currency for one in the other currency.
  Betrag basisbetrag(Betrag fremd) const;

 private:
  Mandant& m_;
  Satz& b_;
  TEntryForm form_;
};

// "Belegdatum der Buchung eingeben": document date, the other party's
// number and the due date, which the booking's open item takes over.
class TFBuchungBelegdatum {
 public:
  TFBuchungBelegdatum(Mandant& m, Satz& buchung);
  bool ausfuehren();
  TEntryForm& form() { return form_; }

 private:
  Mandant& m_;
  Satz& b_;
  TEntryForm form_;
};

// The document search: bookings of the open-bookings view by document
// number, account and amount (any of them); "&Suchen" finds the first,
// "&Weiter" and "&Zurück" the next and previous one. The row found is the
// answer.
class TFBelegsuche {
 public:
  explicit TFBelegsuche(Mandant& m);
  std::optional<std::int64_t> ausfuehren();
  TEntryForm& form() { return form_; }
  std::int64_t gefunden() const { return gefunden_; }

 private:
  Reaktion suchen(std::int64_t ab, bool vorwaerts);
  bool passt(const Satz& b) const;

  Mandant& m_;
  TEntryForm form_;
  std::int64_t gefunden_ = 0;
};

}  // namespace fibu
