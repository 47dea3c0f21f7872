#include "pjl/CheckInfo.h"

#include "pjl/Pjl.h"

namespace tav {

int CheckInfoSlot(unsigned itemType) {
    switch (itemType) {
    case 1: return 0;
    case 2: return 1;
    case 3: return 2;
    case 4: return 3;
    case 13: return 4;
    case 18: return 5;
    case 19: return 6;
    case 20: return 7;
    case 22: return 8;
    case 23: return 9;
    case 24: return 10;
    case 25: return 11;
    case 33: return 12;
    case 48: return 28;
    case 49: return 29;
    case 50: return 30;
    default: break;
    }
    if (itemType >= 26 && itemType <= 31) return static_cast<int>(itemType) - 13;  // 26 -> 13 .. 31 -> 18
    if (itemType >= 35 && itemType <= 43) return static_cast<int>(itemType) - 16;  // 35 -> 19 .. 43 -> 27
    return -1;
}

int GetCheckInfo(AppContext& ctx) {
    const size_t len = ComposeJob(ctx.jobBuffer, {"@PJL INFO INFORMATION=ALL"});
    if (len == 0 || ctx.link.WritePrinter(ctx.jobBuffer.data(), static_cast<uint32_t>(len)) == 0) return 0;
    ctx.ui.Wait(2000);
    ctx.replyBuffer.fill(0);
    ctx.DebugIfEnabled("[TAV] GetCheckInfo () -Read data\n");
    return ReadSettings(ctx) > 0 ? 1 : 0;
}

void ParseCheckInfo(const AppContext& ctx, CheckInfo& info) {
    ctx.DebugIfEnabled("[TAV] ParseCheckInfo()\n");
    for (auto& slot : info) slot.clear();
    const ReplyBuffer& r = ctx.replyBuffer;
    size_t p = 2;
    while (p + 1 < r.size()) {
        const unsigned type = r[p];
        const size_t length = r[p + 1];
        if (type == 0 || (type == 1 && p > 8)) break;
        ctx.DebugIfEnabled("[TAV] ParseCheck - index : " + std::to_string(type) + ", count: " +
                           std::to_string(p + 2) + ", nLength: " + std::to_string(length) + "\n");
        const int slot = CheckInfoSlot(type);
        if (slot >= 0) {
            std::string& text = info[static_cast<size_t>(slot)];
            text.clear();  // a repeated item replaces its slot's text
            for (size_t i = 0; i < length && p + 2 + i < r.size() && r[p + 2 + i] != 0; ++i)
                text += static_cast<char>(r[p + 2 + i]);
        }
        p += 2 + length;
        if (type >= 200) break;
    }
}

void ParseCheckInfo(AppContext& ctx) { ParseCheckInfo(ctx, ctx.checkInfo); }

}  // namespace tav
