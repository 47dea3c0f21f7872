// Any popup help file: every topic's text is a piece of the file, never more than it holds.
#include <cstdlib>
#include <string_view>

#include "FuzzSeeds.h"
#include "pages/CsHelp.h"

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    return {SeedBytes("\xEF\xBB\xBF.topic 131073\r\nThe paper size.\r\n\r\n.topic 0x20002\r\nCopies.\r\n"),
            SeedBytes(
                ".topic\n.topic -1\n.topic 99999999999\n.topic 7 x\nlost\n.topic 7\nfirst\n.topic 7\nsecond"),
            SeedBytes("text before any topic\n.topics 1\n.topic\t2\n\xED\x95\x9C\xEA\xB8\x80\n")};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    size_t total = 0;
    for (const auto& [id, body] : tav::ParseCsHelp(text)) {
        (void)id;
        total += body.size();
    }
    if (total > size) std::abort();
    return 0;
}
