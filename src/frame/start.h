// The start-up configuration: the suite's settings, the accounting root
// from KONF.DAT, the choice of client and year (last client, command line,
// or the selection dialog), opening it, and the warning about a month-end
// left unfinished.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "frame/konfiguration.h"
#include "frame/mandant.h"

namespace fibu {

// What the command line decided: "/M" (last client) or "/W=" with client
// and year.
struct Startwahl {
  bool letzter_mandant = false;
  std::optional<std::pair<int, int>> direkt;  // client number, year
};

// The client selection dialog: client number and year, nullopt when cancelled.
using Mandantenauswahl = std::function<std::optional<std::pair<int, int>>()>;

// Steps 1 and 2: reads the suite settings from the first suite directory
// and the accounting root from KONF.DAT in `arbeitsverzeichnis`, creating
// the root when it is missing. Ends the program (Abbruch) without network
// type or usable accounting root.
struct Startkonfiguration {
  KonfDat konf;
  Suitekonfiguration suite;
  // FIBU.INI could not be read or written: the program runs with its
  // defaults, and the caller shows this message.
  std::string ini_fehler;
};
Startkonfiguration start_lesen(Dateisystem& fs, const std::string& arbeitsverzeichnis);

// Steps 4 and 5: chooses the client and opens it. False when the selection
// was cancelled (the program then ends).
[[nodiscard]] bool mandant_starten(Mandant& mandant, const Startwahl& wahl, const Mandantenauswahl& auswahl);

}  // namespace fibu
