#include "posting/steuer.h"

namespace fibu {

Betrag steuer_netto(Betrag brutto, std::int64_t satz) {
  long double teiler = static_cast<long double>(satz) / 100.0L + 100.0L;
  if (teiler == 0.0L) return brutto;  // a rate of -100 % has no net amount
  return rund(static_cast<long double>(brutto) * 100.0L / teiler);
}

Betrag steuer_aus_brutto(Betrag brutto, std::int64_t satz) {
  return brutto - steuer_netto(brutto, satz);
}

Betrag steuer_aus_netto(Betrag netto, std::int64_t satz) {
  return rund(static_cast<long double>(netto) * static_cast<long double>(satz) / 10000.0L);
}

Betrag skonto_aus(Betrag betrag, std::int64_t satz_tausendstel) {
  return rund(static_cast<long double>(betrag) * static_cast<long double>(satz_tausendstel) /
              100000.0L);
}

}  // namespace fibu
