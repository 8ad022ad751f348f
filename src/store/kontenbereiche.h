// Account numbers against the number ranges of the base data: which kind a
// number is, whether it is a collective account, and its padded text.
#pragma once

#include <cstdint>
#include <string>

#include "suite/satz.h"

namespace fibu {

// Numeric value of an account text: surrounding blanks ignored, empty or
// non-numeric text is 0.
std::int32_t kontowert(const std::string& text);

bool ist_sachkonto(const Satz& basis, const std::string& konto);
bool ist_debitor(const Satz& basis, const std::string& konto);
bool ist_kreditor(const Satz& basis, const std::string& konto);
// One of the 40 receivables or 40 payables collective accounts (0 never is).
bool ist_sammelkonto(const Satz& basis, const std::string& konto);
// One of the 40 tax accounts of the tax-key table (0 never is).
bool ist_steuerkonto(const Satz& basis, std::int32_t nummer);
// A receivables, payables or tax account of the base data.
bool ist_sonderkonto(const Satz& basis, const std::string& konto);
// The number left-padded with "0" to the GL / personal account length.
std::string sachkonto_text(const Satz& basis, std::int32_t nummer);
std::string personenkonto_text(const Satz& basis, std::int32_t nummer);
// The collective account of a personal account's key as the screen shows
// it: "Forderungskonto 1400" for a customer, "Verbindlichkeitskonto 1600"
// for a supplier, empty outside 1..40 or the ranges.
std::string sammelkonto_anzeige(const Satz& basis, const std::string& konto, int schluessel);
// A cost-centre or allocation-key number as four digits ("0007").
std::string vierstellig(std::int32_t nummer);
// Number of decimal digits of a positive number (the account lengths).
int stellen(std::int32_t zahl);

}  // namespace fibu
