// The personal accounts of the EU lists: those with a VAT identification
// number (`EG-Id`) of another country than the client's own. Ids are
// compared without surrounding blanks and in upper case, so " fr123" and
// "FR123" are one customer of one country.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace fibu {

class Mandant;

// The id as the lists compare and show it; empty when the account has none.
std::string eg_kennung(std::string_view egid);
// Its country code: the first two characters of the normalised id.
std::string eg_land(std::string_view egid);

struct Auslandskonto {
  std::string nummer;  // account number as stored, trimmed
  std::int32_t wert = 0;
  std::string name;
  std::string egid;  // normalised (eg_kennung)
};

// Visits the personal accounts von..bis in account order whose id is not
// empty and whose country differs from that of the client's own id, with a
// progress step per account. False when the user pressed Esc or `besuch`
// answered false.
bool auslandskonten_besuchen(Mandant& m, std::int32_t von, std::int32_t bis,
                             const std::function<bool(const Auslandskonto&)>& besuch);

}  // namespace fibu
