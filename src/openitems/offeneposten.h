// What the open-item functions share: the kind of an item, its discount
// terms, its payment bookings, the walk over the items of one kind and the
// marks and amounts the lists print.
//
// An item's "Noch offen" is its gross amount plus the signed amounts of the
// payment bookings on its account with its document number (debit +,
// credit −); the OP list checks this against the stored value.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "frame/mandant.h"
#include "suite/betrag.h"

namespace fibu {

// 'D' for a customer's item, 'K' for a supplier's.
inline char op_kennung(bool kreditoren) { return kreditoren ? 'K' : 'D'; }
// Key 1 of an item: kind letter + trimmed document number.
std::string op_key(char kennung, const std::string& belegnr);
// The kind letter an item carries ('D' or 'K'), else that of its key.
char op_kennung_von(const Satz& op);

// The discount terms of an item: a Diverse item's own, else the personal
// account's percentage with the invoice date + its discount days.
struct Skontobedingung {
  std::int64_t prozent = 0;  // thousandths of a percent
  Datum datum = kein_datum;
};
Skontobedingung skontobedingung(Mandant& m, const Satz& op);
// Betrag × percentage (thousandths) ÷ 100000, to the nearest cent.
Betrag skontobetrag(Betrag betrag, std::int64_t prozent);

// A payment booking of an item.
struct OpZahlung {
  std::uint32_t nummer = 0;  // record number in BUCHUNG.DA1
  Datum datum = kein_datum;
  Betrag betrag = 0;  // signed: debit +, credit −
  int periode = 0;
  std::string gegenkonto;
  std::string text;
};
using OpZahlungen = std::vector<OpZahlung>;

// The payment bookings of an item (those of its account with its document
// number, through the index by account), by date and then number. False
// when the booking file cannot be read.
[[nodiscard]] bool op_zahlungen(Mandant& m, const Satz& op, OpZahlungen& aus);

// The payment bookings of many items, collected once: of all items of one
// kind in one pass over the booking file, or of the items of one account
// through the index by account.
class Zahlungsverzeichnis {
 public:
  // False when the booking file cannot be read.
  [[nodiscard]] bool einlesen(Mandant& m, char kennung);
  [[nodiscard]] bool einlesen_konto(Mandant& m, const std::string& konto);
  // The payments of an item, by date and then number.
  const OpZahlungen& zu(const Satz& op) const;

 private:
  std::unordered_map<std::string, OpZahlungen> zahlungen_;
  OpZahlungen keine_;
};

// Walks the items of one kind in the order of key 1 (document number),
// the working record of OPSTAMM holding each; `nimm` stops the walk by
// answering false. OPSTAMM is opened for the walk when it is closed.
void op_durchlaufen(Mandant& m, char kennung, const std::function<bool(const Satz& op)>& nimm);

// Keeps OPSTAMM open for the life of the object and closes it again when
// it was closed before.
class OpstammOffen {
 public:
  explicit OpstammOffen(Mandant& m);
  ~OpstammOffen();
  OpstammOffen(const OpstammOffen&) = delete;
  OpstammOffen& operator=(const OpstammOffen&) = delete;

 private:
  Mandant& m_;
  bool geoeffnet_ = false;
};

// The dunning mark of the lists: blank normal, "G" blocked, "L" direct debit.
char mahnzeichen(const Satz& op);
// "R" invoice, "G" credit note.
char belegart(const Satz& op);

}  // namespace fibu
