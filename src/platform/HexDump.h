// The debug output's picture of raw bytes, shared by both programs so a trace from either reads
// the same.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tav {

// Rows of eight bytes, each ended by CR LF: the offset, the bytes in hex (missing ones as 00),
// then the bytes present as text with anything unprintable as '.'.
std::vector<std::string> HexDumpRows(const std::uint8_t* data, std::size_t count);

} // namespace tav
