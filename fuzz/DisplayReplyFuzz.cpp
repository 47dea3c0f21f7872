// Any reply to a diagnostic key press: each display line stays within its 16 bytes.
#include <cstdlib>

#include "FuzzSeeds.h"
#include "diagpanel/NuxProtocol.h"

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    return {SeedBytes(std::string("\x01" "ENGINE TEST     " "PRESS ENTER    \0", 33)), SeedBytes("\x01" "SHORT\0"),
            std::vector<uint8_t>(40, 0xFF)};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const nux::DisplayLines lines = nux::SplitDisplayReply(data, size);
    if (lines.line1.size() > 16 || lines.line2.size() > 16) std::abort();
    size_t rows = 0;
    nux::HexDump(data, size < 64 ? size : 64, [&](std::string_view) { ++rows; });
    if (size && rows == 0) std::abort();
    return 0;
}
