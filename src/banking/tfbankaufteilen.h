// Splitting a statement line ("Aufteilen der Bankzeile"): the line's amount
// is divided among several open items or GL accounts in a sub-table; on OK
// the sub-lines become the line's amount and the split rows below it.
// "BTX-Text" (F3) adds a sub-line for every document number the purpose
// text names; "Drucken" (F4) prints the notice "Aufteilung
// Zahlungseingang" for the payer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "banking/tbank.h"
#include "suite/entryform.h"

namespace fibu {

class TFBankAufteilen {
 public:
  struct Teilzeile {
    std::string belegnr;  // OP number; empty, one character or "/…": a GL line
    std::string konto;
    std::string name;
    Betrag betrag = 0;
  };
  // Sub-lines the table offers at most.
  static constexpr int max_zeilen = 99;

  // `zeile`: index of a statement line of the table.
  TFBankAufteilen(Mandant& m, tbank& bank, std::size_t zeile);

  // Shows the dialog; true when it was closed with OK and the table changed.
  bool ausfuehren();
  TEntryForm& form() { return form_; }
  const std::vector<Teilzeile>& teilzeilen() const { return teile_; }

  // "BTX-Text": the document numbers of the purpose text as sub-lines.
  void btx_text();
  // The checks of OK; the message of the first failure, empty when all pass.
  std::string pruefen();
  // Writes the sub-lines into the table (after pruefen()).
  void uebernehmen();
  // The notice to the payer; false when there is no OP or the printer was
  // cancelled.
  bool drucken();

 private:
  static bool sachzeile(const std::string& belegnr);
  Betrag summe() const;
  // Fills a sub-line from the OP of its number; false when there is none.
  bool aus_op(Teilzeile& t);
  bool zelle_setzen(int zeile, int spalte, const std::string& text);
  void summen_zeigen();

  Mandant& m_;
  tbank& bank_;
  std::size_t zeile_;
  std::vector<Teilzeile> teile_;
  TEntryForm form_;
};

}  // namespace fibu
