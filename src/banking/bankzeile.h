// A row of the statement table and the table file "<account>.STA" of a
// bank account in the data directory: fixed 709-byte records, one per
// used row, each carrying the statement date. The file is written through
// the units of work of the data directory, so emptying it can go into the
// same unit as the bookings of the statement.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "isam/isam.h"
#include "suite/betrag.h"
#include "suite/satz.h"

namespace fibu {

class Mandant;

struct Bankzeile {
  Betrag soll = 0;      // money leaving the bank account, ≥ 0
  Betrag haben = 0;     // money arriving, ≥ 0
  std::string belegnr;  // OP document number; "/…" a GL row
  Betrag betrag = 0;    // posted to the row's account, signed
  std::string konto;
  std::string te;           // two-character code, kept only
  std::string kost;         // cost centre or allocation key
  int tag = 0;              // day of the statement month
  std::string text_btx;     // purpose text of the statement line
  std::string text_fibu;    // booking text
  bool gutschrift = false;  // settles a credit note (refund)
  std::string referenz;     // end-to-end reference of an imported line
  std::string name, iban;   // the other party of an imported line, when the file names it

  // A statement line has Soll or Haben; a row with neither is a split row
  // of the statement line above it.
  [[nodiscard]] bool auszugszeile() const { return soll != 0 || haben != 0; }
  [[nodiscard]] bool sachzeile() const { return !belegnr.empty() && belegnr[0] == '/'; }
  [[nodiscard]] bool leer() const;
  // What the row adds to the header totals, in cents: its difference share
  // Soll + Haben − Betrag and its balance share Haben − Soll.
  [[nodiscard]] Betrag differenzanteil() const { return soll + haben - betrag; }
  [[nodiscard]] Betrag saldoanteil() const { return haben - soll; }
};

// The record of a row in the table file.
struct BankzeileFelder {
  static constexpr std::size_t groesse = 709;
  static constexpr DatumFeld Auszugsdatum{0};
  static constexpr ZahlFeld<std::int64_t> Soll{2}, Haben{10};
  static constexpr TextFeld Belegnr{18, 7};
  static constexpr ZahlFeld<std::int64_t> Betrag{26};
  static constexpr TextFeld Konto{34, 8}, Te{43, 2}, Kost{46, 4};
  static constexpr ZahlFeld<std::uint8_t> Tag{51};
  static constexpr TextFeld TextBtx{52, 80}, TextFibu{133, 50};
  static constexpr JaNeinFeld Gutschrift{184};
  // The shares the header totals are summed from (cents).
  static constexpr ZahlFeld<std::int64_t> Differenzanteil{186}, Saldoanteil{194};
  static constexpr TextFeld Referenz{202, 35}, Name{238, 70}, Iban{309, 34};
};

Satz bankzeile_satz(const Bankzeile& z, Datum auszugsdatum);
Bankzeile bankzeile_aus(const Satz& s);

// The table file of one bank account.
class Banktabelle {
 public:
  explicit Banktabelle(Mandant& m) : m_(m) {}
  ~Banktabelle();
  Banktabelle(const Banktabelle&) = delete;
  Banktabelle& operator=(const Banktabelle&) = delete;

  // "<account>.STA" for the account as the client writes GL numbers.
  static std::string dateiname(const std::string& konto);

  // Opens the file of the account, created when missing, and reads its
  // rows and the statement date of the first (kein_datum when empty).
  [[nodiscard]] bool oeffnen(const std::string& konto, std::vector<Bankzeile>& zeilen,
                             Datum& datum);
  void schliessen();
  [[nodiscard]] bool offen() const { return datei_ && datei_->offen(); }

  // Writes the used rows (up to the last non-empty one) and cuts the file
  // after them, in the running unit of work or in one of its own.
  [[nodiscard]] bool ablegen(const std::vector<Bankzeile>& zeilen, Datum datum);
  // Cuts the file to nothing, in the running unit of work (or its own).
  [[nodiscard]] bool leeren();
  // The backup of the statement about to be posted: the file as it is on
  // disk is copied beside it under a temporary name, which becomes
  // "<account>.SIK" only when the statement was posted, so that the ".SIK"
  // always holds the last statement posted.
  [[nodiscard]] bool sicherungskopie();
  [[nodiscard]] bool sicherung_festschreiben();
  void sicherung_verwerfen();
  // "<account>.SIK" and the temporary name of the copy.
  std::string sik_name() const;
  std::string sik_neu_name() const { return sik_name() + ".NEU"; }

 private:
  Mandant& m_;
  std::unique_ptr<isam::Festsatzdatei> datei_;
  std::string name_;
};

}  // namespace fibu
