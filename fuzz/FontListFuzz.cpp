// Any reply to the flash font query, in one or two reads: the list holds only whole records, the
// count agrees with it, and every name stays terminated inside its field.
#include <cstdlib>
#include <cstring>

#include "FuzzLink.h"
#include "FuzzSeeds.h"
#include "pjl/Pjl.h"
#include "RecordingUiHost.h"

namespace {
std::vector<uint8_t> Font(uint8_t number, uint16_t id, const char* name) {
    std::vector<uint8_t> r(26, 0);
    r[0] = number;
    r[1] = uint8_t(id >> 8);
    r[2] = uint8_t(id);
    std::memcpy(&r[3], name, std::min<size_t>(20, std::strlen(name)));
    std::memcpy(&r[23], "8U ", 3);
    return r;
}
} // namespace

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    // First byte: size of the first read in 16-byte steps (0xFF: all of it at once).
    std::vector<uint8_t> two = {0xFF, 0x00, 0x02};
    for (auto& r : {Font(1, 100, "Courier"), Font(2, 0xFFFF, "A name of twenty ch.")})
        two.insert(two.end(), r.begin(), r.end());
    std::vector<uint8_t> inPieces = two;
    inPieces[0] = 1;
    std::vector<uint8_t> claimsMore = two;
    claimsMore[1] = 0xFF;                           // 65280 fonts said, two sent
    std::vector<uint8_t> full = {0xFF, 0x00, 0x9D}; // 157 records fill the reply buffer
    for (int i = 0; i < 157; ++i) {
        auto r = Font(uint8_t(i), uint16_t(i), "Full");
        full.insert(full.end(), r.begin(), r.end());
    }
    return {two, inPieces, claimsMore, full, {0xFF, 0x00, 0x00}, {0xFF, 0x01}};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tav::RecordingUiHost ui;
    static tav::AppContext ctx(ui);
    static const bool bound = (fuzzlink::Bind(ctx), true);
    (void)bound;
    fuzzlink::Serve(data, size);
    ctx.store.edited.fontList.reset();
    ctx.store.edited.flashFontCount = 0;
    if (!tav::QueryFontInfo(ctx)) return 0;
    const auto& list = ctx.store.edited.fontList;
    const size_t n = list ? list->size() : 0;
    if (ctx.store.edited.flashFontCount != n || ctx.store.flashFontsAnnounced < n) std::abort();
    if (2 + 26 * n > ctx.replyBuffer.size()) std::abort();
    for (size_t i = 0; i < n; ++i) {
        const tav::FlashFontEntry& e = (*list)[i];
        if (e.typeface[20] != '\0' || e.symbolSet[3] != '\0' || e.symbolSet[4] != '\0') std::abort();
    }
    return 0;
}
