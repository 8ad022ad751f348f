// Assigning statement lines to open items and GL accounts by the patterns
// of the import settings: a pattern's fixed part is its text before the
// first "?", its length the length of the wanted number (RE????? finds
// RE12345 in "RG RE12345 VOM 01.02.").
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "banking/auszugszeile.h"
#include "banking/bankzeile.h"
#include "frame/mandant.h"

namespace fibu {

// The patterns as the base data keep them.
Zuordnungsmuster zuordnungsmuster(const Satz& basis);

// Every hit of a pattern in a text, in text order: the text is cut into
// words at blanks and commas; in a word holding the fixed part the
// candidate starts there and is as long as the pattern. An empty pattern
// finds nothing.
std::vector<std::string> muster_treffer(std::string_view text, std::string_view muster);
// The last hit, empty when there is none.
std::string letzter_treffer(std::string_view text, std::string_view muster);

// The kind letter of a row's OP: 'D' for money arriving, 'K' for money
// leaving, the other way round for a refund ("Gutschrift"). `auszug` is the
// row's statement line (the row itself or the line above a split row).
char bank_kennung(const Bankzeile& auszug, bool gutschrift);

// Fills a row from its OP as entering the document number does: the
// account and the open amount, negated for a customer's refund and for a
// supplier's invoice (the row's amount is what the money does to the item).
void aus_op_fuellen(Mandant& m, Bankzeile& z, const Satz& op);

// The document numbers a statement line names: the hits of the patterns
// of its direction (incoming: both AR patterns in turn, outgoing: the ER
// pattern) in its purpose text, or in its reference when the text has
// none. The number the assignment takes is the last one.
std::vector<std::string> belegnummern(const Zuordnungsmuster& muster, const Bankzeile& auszug);

// The OP of a document number for a statement line: the item of the
// line's direction ("D" incoming, "K" outgoing), else the other kind,
// which makes the row a refund (`gutschrift`). nullopt when neither exists.
std::optional<Satz> op_zur_belegnummer(Mandant& m, const Bankzeile& auszug,
                                       const std::string& nummer, bool& gutschrift);

// The automatic assignment of a statement line: the document-number
// patterns of its direction on the purpose text, then on the reference
// when the text has no number; then the account pattern ("/" rows); the
// OP of a number is looked up as customer's or supplier's item by the
// direction, else as the other kind with "Gutschrift". A line without a
// hit keeps Betrag 0. OPSTAMM must be open.
void zuordnen(Mandant& m, const Zuordnungsmuster& muster, Bankzeile& z);

}  // namespace fibu
