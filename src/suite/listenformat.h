// Formats shared by the printed ledger lists.
#pragma once

#include <string>

#include "suite/betrag.h"

namespace fibu {

// An amount in the lists' field of 14: "  1.234.567,89".
inline std::string listenbetrag(Betrag b) { return format_maske(b, 2, "###.###.###,##"); }

}  // namespace fibu
