// The DATEV format of today's DATEV programs ("EXTF" CSV files): the
// booking batch (category 21, format version 13) and the customer and
// supplier master data (category 16, format version 5), both under header
// version 700. Semicolon-separated, Windows code page, decimal comma, text
// in double quotes, CR LF after every line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "exchange/datev_buchungen.h"
#include "suite/satz.h"

namespace fibu {

// The first line of a file.
struct ExtfKopf {
  bool stammdaten = false;  // Debitoren/Kreditoren instead of Buchungsstapel
  std::string erzeugt;      // "yyyymmddhhmmssfff"
  long berater = 0, mandant = 0;
  Datum wj_beginn = kein_datum;
  int sachkontenlaenge = 4;
  // The booking batch only:
  Datum von = kein_datum, bis = kein_datum;
  std::string bezeichnung;  // at most 30
  bool festschreibung = false;
  bool euro = true;
};

// The columns of the two formats, in their order.
const std::vector<std::string_view>& extf_buchungsspalten();  // 125
const std::vector<std::string_view>& extf_personenspalten();  // 254

std::string extf_kopfzeile(const ExtfKopf& k);
// The column names, semicolon-separated.
std::string extf_spaltenzeile(const std::vector<std::string_view>& spalten);
std::string extf_buchungszeile(const DatevBuchung& b, bool euro);
// One personal account (a PERSONEN record) as master data.
std::string extf_personenzeile(const Satz& person, bool debitor);

// A document number as "Belegfeld 1" takes it: up to 36 letters, digits
// and the characters _ $ % - /, the last 36 kept.
Belegnummer extf_belegnummer(const std::string& belegnr);

std::string extf_dateiname(bool stammdaten, Datum von, Datum bis);

}  // namespace fibu
