// The demo client 999, fiscal year 2007: made from the SKR 03 template with
// filled base data (tax keys 19 %, 7 % and 16 % with their accounts,
// collective accounts, carry-forward accounts, the periods of 2007), a few
// customers and suppliers ("Debitor Diverse" 10099 for one-time customers,
// the GL difference account 1590), and some hundred bookings of the first half year
// posted through the posting engine: invoices, credit notes, payments and
// GL bookings.
#pragma once

#include "frame/mandant.h"

namespace fibu {

inline constexpr int demo_nummer = 999;
inline constexpr int demo_jahr = 2007;
inline constexpr int demo_diverse = 10099;

// Creates the demo client unless its fiscal year exists already. `m` must
// not hold an open client; it is closed again afterwards. Needs the
// templates under the accounting root.
Ergebnis demo_anlegen(Mandant& m);

}  // namespace fibu
