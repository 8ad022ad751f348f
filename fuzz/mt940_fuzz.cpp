// Fuzz target (libFuzzer) of the MT940 reader: any bytes as the file, read
// in the SWIFT and in the MultiCash variant.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "auszug_pruefen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
  using namespace fibu;
  const std::string_view datei(reinterpret_cast<const char*>(daten), groesse);
  auszug_pruefen(mt940_lesen(datei, Auszugsformat::Swift));
  auszug_pruefen(mt940_lesen(datei, Auszugsformat::MultiCash));
  return 0;
}
