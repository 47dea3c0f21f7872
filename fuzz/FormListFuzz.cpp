// Any reply to the PostScript form query: at most 64 forms, only records that arrived whole, the
// count agrees with the list, and no name is longer than its field.
#include <cstdlib>
#include <cstring>

#include "FuzzLink.h"
#include "FuzzSeeds.h"
#include "pjl/Pjl.h"
#include "RecordingUiHost.h"

namespace {
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8)
        v.push_back(uint8_t(x >> s));
}
void Form(std::vector<uint8_t>& v, const std::string& name, uint32_t size) {
    Put32(v, uint32_t(name.size() + 4));
    Put32(v, size);
    v.insert(v.end(), name.begin(), name.end());
}
} // namespace

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    std::vector<uint8_t> two = {0xFF};
    Put32(two, 2);
    Form(two, "letterhead", 1234);
    Form(two, std::string(64, 'N'), 0xFFFFFFFF);
    std::vector<uint8_t> longName = {0xFF};
    Put32(longName, 1);
    Form(longName, std::string(65, 'L'), 1);
    std::vector<uint8_t> negative = {0xFF};
    Put32(negative, 0xFFFFFFFF);
    std::vector<uint8_t> many = {0xFF};
    Put32(many, 64);
    for (int i = 0; i < 64; ++i)
        Form(many, "f" + std::to_string(i), uint32_t(i));
    return {two, longName, negative, many};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tav::RecordingUiHost ui;
    static tav::AppContext ctx(ui);
    static const bool bound = (fuzzlink::Bind(ctx), true);
    (void)bound;
    fuzzlink::Serve(data, size);
    ctx.store.formList.clear();
    ctx.store.edited.formCount = 0;
    if (!tav::QueryFormInfo(ctx)) return 0;
    const auto& forms = ctx.store.formList;
    if (forms.size() > 64 || ctx.store.edited.formCount != forms.size()) std::abort();
    for (const auto& f : forms)
        if (f.Name().size() > sizeof f.name) std::abort();
    return 0;
}
