// One line of a foreign booking file (FREMDIMP.DAT): 686 characters of the
// Windows code page in fixed columns, read into the fields of a booking and
// of the personal account and open item it may create. Reading never
// fails: a field that cannot be read is reported by its columns and name
// and the line is not used.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "suite/betrag.h"
#include "suite/tpdate.h"

namespace fibu {

inline constexpr std::size_t fremdsatz_laenge = 686;

// The columns 180 to 486: a new personal account and the open item.
// Numbers left blank in the file are nullopt (a new account keeps its
// defaults there).
struct Fremdperson {
  std::string anrede, name, titel, strasse, plz_ort, telefon;
  std::string suchname, eg_id;
  std::optional<int> filter, sammelschluessel;
  std::optional<bool> diverse, summe_in_saldenliste;  // "J"/"N", else unset
  std::optional<int> nettotage;
  std::optional<std::int64_t> skonto1;  // thousandths of a percent
  std::optional<int> skontotage1;
  std::optional<std::int64_t> skonto2;
  std::optional<int> skontotage2;
  std::optional<int> mkz;
  bool hat_adresse() const;
};

struct Fremdzeile {
  char buchungsart = 0;    // 0 (blank), 'E', 'R', 'G', 'Z' or what the file holds
  int eroeffnungsart = 3;  // 0 invoice, 1 credit note, 2 payment, 3 anything else
  std::string konto, kost, belegnr;
  Datum datum = kein_datum;
  std::string text1, text2;
  char soll_haben = 0;
  Betrag brutto = 0;  // cents
  std::string gegenkonto;
  std::string steuerschluessel;  // as written, trimmed
  Betrag netto = 0;
  // INT((gross - net) / net * 100 + 0.5) percent; nullopt when gross and
  // net are equal or net is 0.
  std::optional<int> steuersatz;
  Datum faellig = kein_datum;
  Fremdperson person;

  // Fields of the booking that could not be read / of the columns 458 to
  // 486, which only a personal-account line uses. Each entry names the
  // columns, the field and the text found.
  std::vector<std::string> fehler;
  std::vector<std::string> personenfehler;
};

// Reads a line of exactly fremdsatz_laenge bytes (without its line end).
// With `negative_als_gutschrift` an invoice ("R") with a negative amount
// becomes a credit note ("G") of the positive amount on the other side.
Fremdzeile fremdzeile_lesen(std::string_view bytes, bool negative_als_gutschrift);

// The line of a booking in the file's layout, 686 bytes without line end:
// what another program writes (test files, the benchmark's file). Amounts
// with a point, dates "dd.mm.yyyy", texts cut to their columns; the
// derived rate and the error lists are not written.
std::string fremdsatz_schreiben(const Fremdzeile& z);

std::optional<int> steuersatz_ableiten(Betrag brutto, Betrag netto);

// A decimal number with a point ("-119.5", "2.500") in units of
// `nachkomma` decimals; blank is 0; nullopt for anything else.
std::optional<std::int64_t> punktzahl(std::string_view text, int nachkomma);

}  // namespace fibu
