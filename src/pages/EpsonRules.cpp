#include "pages/EpsonRules.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tav {

EpsonOptions EpsonOptionsFor(const AppContext& ctx) {
    const bool all = (ctx.store.edited.featureFlags & kFlagEpsonExtended) != 0;
    auto on = [&](const char* key) { return all || ctx.ConfigFlag("EPSONIBM", key); };
    return {on("FormLine"), on("TopMargin"), on("PITCHADD"), on("HebrewFont")};
}

int EpsonPitchPosition(uint8_t value, bool pitchAdd) {
    if (value >= kEpsonPitchCount) return -1;
    if (pitchAdd) return value;
    return value <= kEpsonPitch103 ? 0 : value - 1;
}

uint8_t EpsonPitchToStore(int position, bool pitchAdd, uint8_t field, bool picked) {
    if (position < 0) return field;
    if (pitchAdd) return static_cast<uint8_t>(position);
    if (position == 0) return field == kEpsonPitch103 && !picked ? field : 0;
    return static_cast<uint8_t>(position + 1);
}

int ClampEpsonFormLines(int value) {
    return std::clamp(value, 0, kEpsonFormLinesMax);
}

std::optional<int> ParseDialogInt(const std::string& text) {
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    size_t b = 0, e = text.size();
    while (b < e && blank(text[b]))
        ++b;
    while (e > b && blank(text[e - 1]))
        --e;
    if (b < e && text[b] == '+') ++b;
    int v = 0;
    const char* first = text.data() + b;
    const char* last = text.data() + e;
    auto [end, ec] = std::from_chars(first, last, v);
    if (first == last || ec != std::errc() || end != last) return std::nullopt;
    return v;
}

std::string SecondVariantText(std::string text) {
    std::replace(text.begin(), text.end(), '1', '2');
    return text;
}

} // namespace tav
