// International bank account numbers (ISO 13616): the check of the two
// check digits by the remainder modulo 97, and the German IBAN built from a
// bank code and an account number.
#pragma once

#include <string>
#include <string_view>

namespace fibu {

// Without blanks, letters in upper case.
std::string iban_normal(std::string_view text);
// A country code, two check digits and up to 30 letters or digits whose
// check digits are right.
bool iban_gueltig(std::string_view iban);
// "DE" + check digits + the bank code (8 digits) + the account (10 digits,
// leading zeros); empty when they are not digits of those lengths at most.
// The banks' own conversion rules for particular accounts are not applied.
std::string iban_aus_bankverbindung(std::string_view blz, std::string_view konto);
// 8 or 11 letters and digits: bank, country, place, and optionally branch.
bool bic_gueltig(std::string_view bic);

}  // namespace fibu
