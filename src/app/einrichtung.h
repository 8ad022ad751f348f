// Setting up a workstation: the chart-of-accounts templates (MUSTER/SKR01,
// SKR03, SKR04 under the accounting root) made by the record store from
// the readable text sources in data/muster, the working directory with its
// KONF.DAT, and the demo client.
#pragma once

#include <string>

#include "suite/dateisystem.h"
#include "suite/interaktion.h"

namespace fibu {

// Builds MUSTER/ under `fibu_pfad` from the text sources in `quelle`
// (skr01.txt, skr03.txt, skr04.txt, bwagruppen.txt, bwanamen.txt). A
// malformed source line fails with its file and line number; nothing of a
// chart is left half-made.
Ergebnis muster_erzeugen(Dateisystem& fs, Interaktion& ui, const std::string& quelle,
                         const std::string& fibu_pfad);

// A working directory for the program: KONF.DAT naming `verzeichnis`/ornix/
// as the suite's directories and `verzeichnis`/fibu/ as the accounting
// root, and the templates in it. An existing KONF.DAT is kept.
Ergebnis arbeitsplatz_einrichten(Dateisystem& fs, Interaktion& ui, const std::string& verzeichnis,
                                 const std::string& quelle);

}  // namespace fibu
