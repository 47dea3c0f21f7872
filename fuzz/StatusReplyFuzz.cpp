// Any answer to the status query: a status is only claimed from a CODE line, and its three bytes
// are always the status marker and two yes/no flags.
#include <cstdlib>
#include <string>

#include "FuzzSeeds.h"
#include "qvdevm/PjlStatus.h"

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    return {SeedBytes("@PJL INFO STATUS\r\nCODE=10001\r\nDISPLAY=\"READY\"\r\nONLINE=TRUE\r\n\f"),
            SeedBytes("@PJL INFO STATUS\r\nCODE = 40021 \r\nonline=false\r\n"),
            SeedBytes("CODE=\r\nCODE=-5\r\nCODE=12x\r\nONLINE=MAYBE\n"),
            SeedBytes("CODE=99999999999999999999999\n")};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string reply(reinterpret_cast<const char*>(data), size);
    const qvdevm::StatusBytes s = qvdevm::ParseInfoStatus(reply);
    if (s.valid && reply.find('=') == std::string::npos) std::abort();
    if (s.valid ? (s.bytes[0] != 9 || s.bytes[1] > 1 || s.bytes[2] > 1)
                : (s.bytes[0] | s.bytes[1] | s.bytes[2]) != 0)
        std::abort();
    return 0;
}
