// DTAUS, the German banks' old exchange format for payment orders on a
// data carrier: the A record (the creditor), one C record per direct debit
// and the E record with the totals, in 128-byte sections without line ends.
// Text fields hold the DTAUS character set only: digits, upper-case
// letters, blank, ". , & - / + * $ %" and Ä, Ö, Ü, ß at the places of
// DIN 66003 ("[", "\", "]", "~").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "suite/betrag.h"
#include "suite/tpdate.h"

namespace fibu {

struct DtausKopf {
  std::string name;   // the client
  std::string blz;    // 8 digits at most
  std::string konto;  // 10 digits at most
  Datum datum = kein_datum;
  bool euro = true;
  bool abbuchung = false;  // text key 04000 instead of 05000
};

struct DtausPosten {
  std::string name;
  std::string blz, konto;
  Betrag betrag = 0;  // cents
  std::string belegnr;
  Datum rechnungsdatum = kein_datum;
};

// Text in the DTAUS character set, cut to `breite` characters after the
// conversion and filled with blanks.
std::string dtaus_text(std::string_view utf8, std::size_t breite);
// A bank code or account number of digits only, at most `breite` of them,
// with leading zeros; empty when it is no such number (an IBAN typed into
// the account field is refused, not cut).
std::string dtaus_nummer(std::string_view text, std::size_t breite);

std::string dtaus_a(const DtausKopf& k);
std::string dtaus_c(const DtausKopf& k, const DtausPosten& p);
std::string dtaus_e(const DtausKopf& k, long anzahl, Betrag summe, std::int64_t kontensumme,
                    std::int64_t blzsumme);

}  // namespace fibu
