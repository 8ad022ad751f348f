// CRC-32C (Castagnoli) of byte ranges, for the checksums of index pages,
// file headers and the journal. Uses the SSE 4.2 instruction where the
// processor has it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace fibu::isam {

std::uint32_t crc32c(const void* daten, std::size_t laenge, std::uint32_t start = 0);

}  // namespace fibu::isam
