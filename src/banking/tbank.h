// The statement of a bank account (`tbank`): its header (bank GL account,
// name, old balance, statement date, difference, new balance), the rows of
// its table with their checks, the import of statement lines, the check
// and posting runs and the printed statement.
//
// Rows: a row with Soll or Haben is a statement line; a row with neither
// is a split row of the nearest statement line above it. Every statement
// line with its split rows must balance on its own (Soll + Haben = Σ
// Betrag) before the statement is posted, so that one payer's shortfall
// cannot hide behind another one's overpayment.
//
// The statement is posted as one unit of work: all its bookings and the
// emptying of the table file reach the disk together or not at all.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "banking/auszugszeile.h"
#include "banking/bankzeile.h"
#include "banking/btximport.h"
#include "frame/mandant.h"

namespace fibu {

class tbank {
 public:
  // Empty rows the table keeps after the last used one.
  static constexpr std::size_t freie_zeilen = 50;

  explicit tbank(Mandant& m);
  // Saves a changed table and closes its file.
  ~tbank();
  tbank(const tbank&) = delete;
  tbank& operator=(const tbank&) = delete;

  // --- Header ---
  // Opens the table of the GL account typed (normalised to the client's
  // width): the file, its rows, name and old balance, the statement date.
  // False with "Sachkonto nicht vorhanden!" when there is no such account.
  [[nodiscard]] bool konto_oeffnen(const std::string& eingabe);
  [[nodiscard]] bool offen() const { return tabelle_.offen(); }
  const std::string& bank_konto() const { return konto_; }
  const std::string& bezeichnung() const { return bezeichnung_; }
  Betrag alter_saldo() const { return alter_saldo_; }
  Datum datum() const { return datum_; }
  int periode() const { return periode_; }
  // A new statement date; outside the fiscal year "Datum liegt nicht im
  // Geschäftsjahr!" and today (when in the year) or the first day of the
  // year instead. False when the date was replaced.
  bool datum_setzen(Datum d);
  Betrag differenz() const;
  Betrag neuer_saldo() const;

  // --- Rows ---
  std::vector<Bankzeile>& zeilen() { return zeilen_; }
  const std::vector<Bankzeile>& zeilen() const { return zeilen_; }
  // Rows up to the last non-empty one.
  std::size_t benutzt() const;
  // Call after a change: the table is saved when left, and keeps its
  // empty rows.
  void geaendert();
  bool ist_geaendert() const { return geaendert_; }
  void zeile_einfuegen(std::size_t i);
  void zeile_loeschen(std::size_t i);
  // The statement line of row i (i itself or the line above a split row).
  std::optional<std::size_t> bezugszeile(std::size_t i) const;
  // The kind letter of row i's OP; nullopt (with the message in `meldung`)
  // when a split row has no statement line.
  std::optional<char> kennung(std::size_t i, std::string* meldung = nullptr) const;
  // Whether the row's account is a customer / supplier / GL account.
  bool personenkonto(const Bankzeile& z) const;

  // --- Checks (the message of the first failure; empty when all pass) ---
  // The document number typed into row i: a "/" row takes Soll + Haben as
  // amount when it has none; an OP row is filled from its OP when the
  // number was changed (`neu`). `hinweis` receives "OP ist bereits
  // ausgeglichen!" for a settled item.
  std::string belegnr_eingeben(std::size_t i, bool neu, std::string* hinweis = nullptr);
  // The checks of a row in their order; an empty row passes.
  std::string zeile_pruefen(std::size_t i);
  // The statement lines that, with their split rows, do not balance, in
  // table order (a split row without a statement line counts as one).
  std::vector<std::size_t> unausgeglichene_zeilen() const;
  // Soll + Haben − Σ Betrag of statement line i with its split rows.
  Betrag zeilendifferenz(std::size_t i) const;

  // --- Table file ---
  [[nodiscard]] bool speichern();
  // Clears every row ("Neu").
  [[nodiscard]] bool leeren();
  // Turns imported statement lines into rows (date, amount, purpose text,
  // day), assigns them by the patterns, appends them and saves the table.
  // Refused with "Tabelle ist nicht leer, bitte zuerst löschen!" unless the
  // table is empty; the message is shown.
  [[nodiscard]] bool uebernehmen(const std::vector<Auszugszeile>& auszug,
                                 const Zuordnungsmuster& muster);
  // This table as the "BTX-Import" fills it: its statement date, its bank
  // account, and uebernehmen(). Valid while this tbank lives.
  Auszugstabelle importziel();

  // --- Posting ---
  struct Buchungsergebnis {
    bool gebucht = false;
    std::optional<std::size_t> zeile;  // where the cursor goes after a refusal
  };
  // Checks every row, the period, the difference and each line's balance,
  // runs the check run ("Prüfen ...") and then posts the whole statement
  // ("Buchen ..."); the table file is copied to ".SIK" and emptied. Every
  // refusal is shown as a message or printed.
  Buchungsergebnis buchen();

  // The printed statement "Bank-Kontoauszug"; false when the printer was
  // cancelled.
  bool drucken();

  // The name of an account (GL or personal); empty when there is none.
  std::string kontoname(const std::string& konto) const;
  // The OP of a row (nullopt for "/" rows and missing items).
  std::optional<Satz> op_der_zeile(std::size_t i) const;

 private:
  void salden_lesen();
  void auffuellen();
  friend class Bankbuchungslauf;

  Mandant& m_;
  Banktabelle tabelle_;
  std::vector<Bankzeile> zeilen_;
  std::string konto_, bezeichnung_;
  Betrag alter_saldo_ = 0;
  Datum datum_ = kein_datum;
  int periode_ = 0;
  bool geaendert_ = false;
  bool opstamm_geoeffnet_ = false;
};

}  // namespace fibu
