// SEPA direct debits (SEPA-Lastschrift, CORE) as the banks take them today:
// a "pain.008.001.08" message of ISO 20022 with one payment information
// block for the run, written with libxml2 in UTF-8.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "suite/betrag.h"
#include "suite/tpdate.h"

namespace fibu {

struct SepaKopf {
  std::string nachricht;         // MsgId and PmtInfId, at most 35
  std::string erstellt;          // "2024-12-06T10:15:00"
  std::string name;              // the creditor
  std::string iban, bic;         // the creditor's account; the BIC may be empty
  std::string glaeubiger_id;     // creditor identifier, e.g. "DE98ZZZ09999999999"
  std::string sequenz = "RCUR";  // FRST, RCUR, OOFF or FNAL
  Datum faellig = kein_datum;    // requested collection date
};

struct SepaPosten {
  std::string ende_zu_ende;  // EndToEndId, at most 35
  Betrag betrag = 0;         // cents, positive
  std::string mandat;        // mandate reference
  Datum mandatsdatum = kein_datum;
  std::string name, iban, bic;  // the payer; the BIC may be empty
  std::string zweck;            // remittance text, at most 140
};

// Text in the SEPA character set (Latin letters, digits and / - ? : ( ) .
// , ' + blank): umlauts spelt out, anything else a blank; at most `laenge`.
std::string sepa_text(std::string_view utf8, std::size_t laenge);
// The message; empty when the writer failed.
std::string sepa_lastschrift(const SepaKopf& k, const std::vector<SepaPosten>& posten);

}  // namespace fibu
