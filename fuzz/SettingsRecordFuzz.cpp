// Any reply to the settings query: the walk stays inside ReplyBuffer, and a record that ends
// properly leaves both store instances equal.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "FuzzSeeds.h"
#include "pjl/SettingsRecord.h"
#include "RecordingUiHost.h"

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    // Header, paper (1 byte), copies (2 bytes), the capability word at 198, closed by 200.
    const std::vector<uint8_t> good = {0x01, 0x00, 0x00, 0x00, 0x01, 0x02, 0x02, 0x02, 0x00, 0x05,
                                       0x35, 0x02, 0x02, 0x58, 0xC6, 0x04, 0x00, 0x20, 0x00, 0x05, 0xC8, 0x00};
    std::vector<uint8_t> noHeader(good.begin() + 3, good.end());
    std::vector<uint8_t> unended(good.begin(), good.end() - 2);
    std::vector<uint8_t> wide = good;
    wide[5] = 0x09;  // a length byte that lies about the width
    return {good, noHeader, unended, wide, std::vector<uint8_t>(4096, 0x01)};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tav::RecordingUiHost ui;
    // A record that does not end says so on the debug output; that line is not under test.
    static const int quiet = setenv("TAV_DEBUG_FILE", "/dev/null", 1);
    (void)quiet;
    tav::AppContext ctx(ui);
    ctx.replyBuffer.fill(0);
    if (size) std::memcpy(ctx.replyBuffer.data(), data, std::min(size, ctx.replyBuffer.size()));
    const bool ended = tav::LoadSettingsRecord(ctx);
    if (ended && !(ctx.store.reported == ctx.store.edited)) std::abort();
    (void)tav::SettingsRecordDump(ctx.replyBuffer);
    return 0;
}
