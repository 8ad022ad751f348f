// Fuzz target (libFuzzer) of the reader of the suite's address master
// ADRESSEN.TXT: any bytes as the file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "masters/personenkonto.h"
#include "suite/test_dateisystem.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
  using namespace fibu;
  TestDateisystem fs;
  if (!fs.verzeichnis_anlegen("/a") ||
      !fs.schreibe_datei_atomar("/a/ADRESSEN.TXT",
                                std::string(reinterpret_cast<const char*>(daten), groesse)))
    __builtin_trap();
  std::vector<Adresse> adressen;
  if (adressen_lesen(fs, "/a", adressen))
    for (const Adresse& a : adressen)
      if (a.name.find('\n') != std::string::npos) __builtin_trap();  // one address, one line
  return 0;
}
