// The bank statement screen in the main window's command table.
#pragma once

#include <functional>

namespace fibu {

class TFFibu;
class TFBankbuchung;

// Command 22 "Bankauszug". `einrichten`, when given, completes each new
// screen before it runs (the program's account sheet, the import of
// statement files).
void bank_registrieren(TFFibu& fibu, std::function<void(TFBankbuchung&)> einrichten = {});

}  // namespace fibu
