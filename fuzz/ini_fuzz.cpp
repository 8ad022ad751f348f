// Fuzz target (libFuzzer) of the INI reader behind FIBU.INI and the window
// positions: any bytes as the file. What it accepts must be written back
// and read again to the same text; the suite configuration reads the same
// file without failing in any other way than with its error.
#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/konfiguration.h"
#include "suite/inidatei.h"
#include "suite/test_dateisystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
  using namespace fibu;
  TestDateisystem fs;
  const std::string inhalt(reinterpret_cast<const char*>(daten), groesse);
  if (!fs.verzeichnis_anlegen("/k") || !fs.schreibe_datei_atomar("/k/FIBU.INI", inhalt))
    __builtin_trap();
  IniDatei ini;
  if (ini.laden(fs, "/k/FIBU.INI")) {
    IniDatei wieder;
    if (!ini.speichern(fs, "/k/WIEDER.INI") || !wieder.laden(fs, "/k/WIEDER.INI") ||
        wieder.als_text() != ini.als_text())
      __builtin_trap();
  }
  Suitekonfiguration suite;
  (void)suite.laden(fs, "/k");  // a malformed file keeps the defaults, with its error
  (void)suite.passwort_stimmt(141, "geheim");
  return 0;
}
