// Tax arithmetic of the bookings. Rates are hundredths of a percent
// (1600 = 16 %); every result is computed in long double and rounded to the
// nearest cent, halves to the even cent.
#pragma once

#include <cstdint>

#include "suite/betrag.h"

namespace fibu {

// The net amount contained in a gross amount: gross × 100 / (rate/100 + 100).
Betrag steuer_netto(Betrag brutto, std::int64_t satz);
// The tax contained in a gross amount: gross − net.
Betrag steuer_aus_brutto(Betrag brutto, std::int64_t satz);
// The tax on top of a net amount: net × rate / 10000.
Betrag steuer_aus_netto(Betrag netto, std::int64_t satz);

// A cash discount: amount × rate / 100000, the rate in thousandths of a
// percent (2500 = 2.5 %).
Betrag skonto_aus(Betrag betrag, std::int64_t satz_tausendstel);

}  // namespace fibu
