// The client the fuzz targets run against: client 1, year 2024, on a file
// system in memory. A setup that fails ends the run at once.
#pragma once

#include "frame/mandant.h"
#include "suite/netzwerk.h"
#include "suite/test_dateisystem.h"
#include "suite/test_interaktion.h"
#include "suite/tpdate.h"

namespace fibu {

struct Speichermandant {
  TestDateisystem fs;
  TestInteraktion ui;
  Tagesdatum heute{DMYtoDate(6, 12, 2024)};
  Netzwerk netz{fs, "/r", false};
  Mandant m{fs, ui, heute, "/r/FIBU/", netz};

  void oeffnen() {
    if (!fs.verzeichnis_anlegen("/r/FIBU/") || !m.mandant_oeffnen(1, 2024, true)) __builtin_trap();
  }
};

}  // namespace fibu
