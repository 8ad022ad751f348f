// The DATEV data carrier: the data file of 256-byte blocks (ED00001 or
// DE001) with its records, and the control file (EV01 or DV01) that
// describes it. Two variants: the extended one (8-digit accounts, 12-digit
// document numbers) and the basic one (5 and 6 digits).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "exchange/datev_buchungen.h"
#include "suite/ergebnis.h"

namespace fibu {

enum class DatevVariante { Erweitert, Einfach };

// What the header records and the control file carry, normalised as
// DATEV.PAR stores it (numbers zero-filled, names blank-filled).
struct DatevKopf {
  DatevVariante variante = DatevVariante::Erweitert;
  bool namen = false;             // a names carrier (application 13) instead of 11
  std::string dfv;                // 2
  std::string berater;            // 7
  std::string beratername;        // 9
  std::string mandant;            // 5
  std::string abrechnungsnummer;  // 4; "0099" for names
  std::string passwort;           // 4
  int jahr = 0;                   // the fiscal year
  Datum von = kein_datum, bis = kein_datum;
  int kontolaenge = 4;  // of the version record
  bool euro = true;
};

// The data file's blocks: records are appended to a block while it stays
// at most 250 characters long, and a full block is padded with NUL to 256
// bytes and handed to `schreiben`.
class DatevBloecke {
 public:
  static constexpr std::size_t blockgroesse = 256, nutzlaenge = 250;

  explicit DatevBloecke(std::function<Ergebnis(std::string_view)> schreiben)
      : schreiben_(std::move(schreiben)) {}
  [[nodiscard]] Ergebnis satz(std::string_view bytes);
  // Writes the last block.
  [[nodiscard]] Ergebnis ende();
  int bloecke() const { return bloecke_; }
  // Where the last "z" stands in the last block written (from 0).
  int z_position() const { return z_position_; }

 private:
  [[nodiscard]] Ergebnis block_schreiben();

  std::function<Ergebnis(std::string_view)> schreiben_;
  std::string block_;
  int bloecke_ = 0, z_position_ = 0;
};

// --- The records, as bytes ---
std::string datev_kopfsatz(const DatevKopf& k);
// Extended variant only; the basic one has none.
std::string datev_versionssatz(const DatevKopf& k);
std::string datev_saldensatz(const DatevKopf& k, Betrag saldo, const std::string& gegenkonto,
                             const std::string& konto);
std::string datev_namenssatz(const std::string& konto, const std::string& name);
// `faelligkeit`: the customer and supplier variants send the due date.
std::string datev_buchungssatz(const DatevKopf& k, const DatevBuchung& b, bool faelligkeit);
// "x"/"w" with the total, "y", "z"; for a names carrier "z" alone.
std::string datev_endesatz(const DatevKopf& k, Betrag summe);
// EV01 (two lines of 128 characters) or DV01 (two records of 64 bytes).
std::string datev_steuerdatei(const DatevKopf& k, int bloecke, int z_position);

// The file names of the variant.
std::string datev_datendatei(DatevVariante v);
std::string datev_steuerdateiname(DatevVariante v);

// A document number as the carrier takes it: digits only, at most 12 (6)
// of them, the last ones kept.
Belegnummer datev_traeger_belegnummer(DatevVariante v, const std::string& belegnr);

}  // namespace fibu
