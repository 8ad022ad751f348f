// Fuzz target (libFuzzer) of the reader of KONF.DAT, the file that names
// the suite's directories and the accounting root: any bytes as the file.
#include <cstddef>
#include <cstdint>
#include <string>

#include "frame/konfiguration.h"
#include "suite/test_dateisystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
  using namespace fibu;
  TestDateisystem fs;
  if (!fs.verzeichnis_anlegen("/w") ||
      !fs.schreibe_datei_atomar("/w/KONF.DAT",
                                std::string(reinterpret_cast<const char*>(daten), groesse)))
    __builtin_trap();
  const KonfDat k = lies_konf_dat(fs, "/w");
  // Every directory it names ends with its separator.
  for (const std::string& v : k.verzeichnisse)
    if (!v.empty() && v.back() != '/') __builtin_trap();
  if (!k.fibu_pfad.empty() && k.fibu_pfad.back() != '/') __builtin_trap();
  return 0;
}
