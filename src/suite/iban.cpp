#include "suite/iban.h"

#include <cctype>

namespace fibu {

namespace {

// The remainder modulo 97 of the number the IBAN stands for: the first four
// characters moved to the end, each letter as two digits (A = 10).
int rest97(std::string_view iban) {
  const std::string umgestellt = std::string(iban.substr(4)) + std::string(iban.substr(0, 4));
  int rest = 0;
  for (char c : umgestellt) {
    const int wert = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : c - 'A' + 10;
    rest = wert >= 10 ? (rest * 100 + wert) % 97 : (rest * 10 + wert) % 97;
  }
  return rest;
}

bool alnum(std::string_view s) {
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c)) && !(c >= 'A' && c <= 'Z')) return false;
  return true;
}

bool ziffern(std::string_view s) {
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

std::string iban_normal(std::string_view text) {
  std::string aus;
  for (char c : text) {
    if (c == ' ') continue;
    aus += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return aus;
}

bool iban_gueltig(std::string_view iban) {
  if (iban.size() < 5 || iban.size() > 34) return false;
  if (!(iban[0] >= 'A' && iban[0] <= 'Z' && iban[1] >= 'A' && iban[1] <= 'Z')) return false;
  if (!ziffern(iban.substr(2, 2)) || !alnum(iban.substr(4))) return false;
  // Germany: 22 characters, all digits after the country.
  if (iban.substr(0, 2) == "DE" && (iban.size() != 22 || !ziffern(iban.substr(2)))) return false;
  return rest97(iban) == 1;
}

std::string iban_aus_bankverbindung(std::string_view blz, std::string_view konto) {
  if (blz.empty() || konto.empty() || blz.size() > 8 || konto.size() > 10 || !ziffern(blz) ||
      !ziffern(konto))
    return {};
  const std::string bban = std::string(8 - blz.size(), '0') + std::string(blz) +
                           std::string(10 - konto.size(), '0') + std::string(konto);
  const int pruef = 98 - rest97("DE00" + bban);
  return "DE" + std::string(pruef < 10 ? "0" : "") + std::to_string(pruef) + bban;
}

bool bic_gueltig(std::string_view bic) {
  if (bic.size() != 8 && bic.size() != 11) return false;
  for (std::size_t i = 0; i < 6; ++i)
    if (!(bic[i] >= 'A' && bic[i] <= 'Z')) return false;
  return alnum(bic.substr(6));
}

}  // namespace fibu
