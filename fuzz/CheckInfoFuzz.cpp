// Any reply to the information query: no slot outgrows its size or holds a zero byte.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "FuzzSeeds.h"
#include "pjl/CheckInfo.h"
#include "RecordingUiHost.h"

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    std::vector<uint8_t> good = {0x00, 0x00, 0x01, 0x05, 'C', 'L', 'P', '-', '1', 0x02, 0x03, '1', '.', '0',
                                 0x30, 0x02, '8', '0', 0x00};
    std::vector<uint8_t> longItem = {0x00, 0x00, 0x05, 0xFF};
    longItem.insert(longItem.end(), 300, 'x');
    std::vector<uint8_t> ended = good;
    ended.back() = 0xC8;
    return {good, longItem, ended, std::vector<uint8_t>(4096, 0x05)};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tav::RecordingUiHost ui;
    static tav::AppContext ctx(ui);
    ctx.replyBuffer.fill(0);
    if (size) std::memcpy(ctx.replyBuffer.data(), data, std::min(size, ctx.replyBuffer.size()));
    tav::CheckInfo info;
    tav::ParseCheckInfo(ctx, info);
    for (const auto& slot : info)
        if (slot.size() >= tav::kCheckInfoSlotSize || slot.find('\0') != std::string::npos) std::abort();
    return 0;
}
