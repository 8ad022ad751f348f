// Fuzz target (libFuzzer) of the T-Online CSV reader: any bytes as the file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "auszug_pruefen.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
  using namespace fibu;
  auszug_pruefen(tonline_lesen(std::string_view(reinterpret_cast<const char*>(daten), groesse)));
  return 0;
}
