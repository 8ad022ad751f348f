// One line of a bank statement as a statement file delivers it, before it
// becomes a row of the statement table: the readers of the import make
// these, the table takes them over and assigns them by the patterns.
#pragma once

#include <string>

#include "suite/betrag.h"
#include "suite/tpdate.h"

namespace fibu {

struct Auszugszeile {
  Datum datum = kein_datum;   // booking date of the line
  Datum valuta = kein_datum;  // value date; kein_datum when the file has none
  Betrag soll = 0;            // money leaving the account, ≥ 0
  Betrag haben = 0;           // money arriving, ≥ 0
  std::string text;           // purpose text ("Text BTX")
  std::string name;           // the other party's name, when the file names it
  std::string iban;           // the other party's IBAN, when the file names it
  std::string referenz;       // end-to-end reference: a further document-number candidate
};

// The document-number and account patterns of the import settings: two for
// incoming payments, one for outgoing ones, one for GL accounts; an empty
// pattern is not used.
struct Zuordnungsmuster {
  std::string ar1, ar2, er, sachkonto;
};

}  // namespace fibu
