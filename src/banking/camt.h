// The reader of ISO 20022 bank-to-customer statements (camt.053, versions
// 001.02 to 001.08), one XML file or a ZIP of them as banks deliver them.
// Each booked entry (Ntry) becomes one statement line:
//   BookgDt → datum, ValDt → valuta, Amt with CdtDbtInd → haben / soll,
//   RmtInf/Ustrd lines and RmtInf/Strd/CdtrRefInf/Ref → text,
//   the debtor of a credit or the creditor of a debit → name and iban,
//   Refs/EndToEndId (not "NOTPROVIDED") → referenz.
// Parsed with libxml2 without network access, entity expansion or DTDs.
#pragma once

#include <string_view>

#include "banking/kontoauszugsdatei.h"

namespace fibu {

// One camt.053 document, or a ZIP whose XML members are read in name
// order. Anything that is no such file is refused as a whole (fehler).
Auszugsdatei camt_lesen(std::string_view daten);

}  // namespace fibu
