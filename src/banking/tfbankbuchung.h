// The bank statement screen ("Buchung nach Bank-Kontoauszug"): the
// bookkeeper names the bank's GL account, types or imports the statement
// lines into a grid, assigns each to an open item or a GL account, splits
// lines that pay several items and posts the whole statement (F6).
//
// The model is free of widgets like the posting entry screen: a view shows
// zelle(), statuszeile() and panelfelder(), hands typed text to eingabe(),
// the cursor keys to weiter() / zurueck() / gehe_zu() and the keys to
// taste(). Leaving a cell checks it; leaving a row runs the row checks.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "banking/tbank.h"
#include "suite/raster.h"

namespace fibu {

class TFBankbuchung : public Rasterformular {
 public:
  enum Spalte { Soll = 0, Haben, Belegnr, Betrag_, Konto, Te, Kost, Tag, Gutschrift, TextFibu };
  static constexpr int spaltenzahl = 10;
  static const std::array<const char*, spaltenzahl> ueberschriften;

  explicit TFBankbuchung(Mandant& m);

  // Asks for the bank account (and, when given, a statement date), opens
  // its table and runs the screen until it is left. False when no account
  // was opened or the last posting of the statement was refused.
  bool ausfuehren();
  // Opens the table of a bank account without the question.
  [[nodiscard]] bool konto_oeffnen(const std::string& konto);

  tbank& bank() { return bank_; }

  // --- The grid ---
  std::string titel() const override { return "Buchung nach Bank-Kontoauszug"; }
  std::vector<std::string> spalten() const override;
  bool rechtsbuendig(int spalte) const override;
  bool nur_anzeige(int) const override { return false; }
  std::int64_t zeilen() const override { return static_cast<std::int64_t>(bank_.zeilen().size()); }
  std::string zelle(std::int64_t zeile, int spalte) override;
  std::int64_t zeile() const override { return zeile_; }
  int spalte() const override { return spalte_; }

  // --- What the user does ---
  bool eingabe(const std::string& text) override;
  bool weiter() override;
  bool zurueck() override;
  bool gehe_zu(std::int64_t zeile, int spalte) override;
  Reaktion taste(Taste t) override;
  bool schliessen() override;

  // --- What the screen shows ---
  std::string statuszeile() const override;
  std::vector<std::pair<std::string, std::string>> panelfelder() override;
  std::vector<std::pair<Taste, std::string>> tasten() const override;
  std::vector<std::string> kontextmenue() const override;
  bool kontext_verfuegbar(std::size_t i) const override;
  void kontext(std::size_t i) override;

  // What the screen reaches beyond this folder (given by the program that
  // opens it; left empty the entries do nothing): the statement of an
  // account and a menu command.
  std::function<void(std::int32_t konto)> kontoauszug;
  std::function<void(int befehl)> befehl;
  std::function<bool(int befehl)> befehl_verfuegbar;

  // The split dialog for the current row (the "Aufteilen" button).
  void aufteilen();

 private:
  Bankzeile& aktuelle() { return bank_.zeilen()[static_cast<std::size_t>(zeile_ - 1)]; }
  std::size_t index() const { return static_cast<std::size_t>(zeile_ - 1); }
  bool zelle_pruefen();
  // The row checks when the cursor leaves the row; false (message shown)
  // when it must stay.
  bool zeile_verlassen();
  void zu_zeile(std::int64_t zeile);
  Reaktion liste();
  void belegsuche();
  void op_info();
  void buchen();
  // F5: the "BTX-Import" of a statement file into the empty table.
  void importieren();
  void melde(const std::string& text);

  Mandant& m_;
  tbank bank_;
  std::int64_t zeile_ = 1;
  int spalte_ = Soll;
  // The document number and refund mark when the cursor came to the row:
  // the row is filled from its OP again only when one of them changed.
  std::string beleg_vorher_;
  bool gutschrift_vorher_ = false;
  bool abgelehnt_ = false;  // the last F6 did not post
};

}  // namespace fibu
