// Any reply to the macro listing, whole or in pieces: only IDs that arrived whole are taken, never
// more than the count says, and nothing from a reply the buffer cannot hold.
#include <cstdlib>

#include "FuzzLink.h"
#include "FuzzSeeds.h"
#include "storage/FlashCore.h"
#include "RecordingUiHost.h"

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    // First byte: size of the first read in 16-byte steps (0xFF: all of it at once).
    std::vector<uint8_t> full = {0xFF, 0x07, 0xFF};
    for (int i = 0; i < 2047; ++i)
        full.insert(full.end(), {uint8_t(i >> 8), uint8_t(i)});
    return {{0xFF, 0x00, 0x03, 0x00, 0x01, 0x00, 0x02, 0xFF, 0xFF},
            {0x00, 0x00, 0x02, 0x00, 0x07, 0x30},
            {0xFF, 0xFF, 0xFF, 0x00, 0x01},
            {0xFF, 0x00},
            full};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tav::RecordingUiHost ui;
    static tav::AppContext ctx(ui);
    static const bool bound = (fuzzlink::Bind(ctx), true);
    (void)bound;
    ui.Clear();
    if (size > 1) {
        const auto direct = tav::ParseMacroInfo(data + 1, size - 1);
        if (direct) {
            const size_t count = size_t(data[1]) << 8 | data[2];
            const std::vector<uint16_t>& ids = direct->ids;
            if (ids.size() > (size - 3) / 2 || ids.size() > count || direct->announced != count) std::abort();
            // Whole exactly when every announced ID arrived.
            if (direct->Complete() != (ids.size() == count)) std::abort();
            for (size_t i = 0; i < ids.size(); ++i)
                if (ids[i] != (data[3 + 2 * i] << 8 | data[4 + 2 * i])) std::abort();
        }
    }
    fuzzlink::Serve(data, size);
    const auto listed = tav::QueryMacroInfo(ctx);
    if (listed && 2 + 2 * listed->ids.size() > ctx.replyBuffer.size()) std::abort();
    return 0;
}
