// Fuzz target (libFuzzer) of the camt.053 reader: any bytes as an XML file
// or a ZIP archive. A file that is no statement must be refused with a
// reason, never by an exception.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "auszug_pruefen.h"
#include "banking/camt.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
  using namespace fibu;
  auszug_pruefen(camt_lesen(std::string_view(reinterpret_cast<const char*>(daten), groesse)));
  return 0;
}
