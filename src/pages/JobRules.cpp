#include "pages/JobRules.h"

#include <cctype>

namespace tav {

const std::array<PaperTypeEntry, 15>& PaperTypeEntries() {
    static const std::array<PaperTypeEntry, 15> entries = {{
        {"OFF", "Printer Default", "Printer Default"},
        {"Normal", "Plain Paper", "Plain Paper"},
        {"Thick", "Thick", "Thick"},
        {"Thin", "Thin", "Thin"},
        {"Bond", "Bond", "Bond"},
        {"Color", "Colored", "Colored"},
        {"CARD", "Card Stock", "Card Stock"},
        {"Label", "Labels", "Labels"},
        {"Ohp", "Transparency", "Transparency"},
        {"Env", "Envelope", "Envelope"},
        {"Used", "Preprinted", "Preprinted"},
        {"Cotton", "Letterhead", "Cotton"},
        {"Recycled", "Special", "Recycled"},
        {"CHECK", "Personal Check", "Personal Check"},
        {"3MDECAL", "3M Decal", "3M Decal"},
    }};
    return entries;
}

std::vector<std::string> PaperTypeListKeys(const AppContext& ctx, const char* section, bool paperTypeList) {
    std::vector<std::string> keys;
    for (const PaperTypeEntry& e : PaperTypeEntries())
        if (ctx.ConfigFlag(section, e.gateKey))
            keys.emplace_back(paperTypeList ? e.paperTextKey : e.trayTextKey);
    return keys;
}

int PaperTypeCode(const AppContext& ctx, const char* section, int position) {
    return ctx.ConfigInt(section, std::to_string(position), 0);
}

int PaperTypePosition(const AppContext& ctx, const char* getSection, int code) {
    return ctx.ConfigInt(getSection, std::to_string(code), 0);
}

bool IsPaperTypeCode(int code) {
    return code >= 0 && code < static_cast<int>(PaperTypeEntries().size());
}

int TimeoutLimit(const AppContext& ctx) {
    // "0", a missing key and anything that is not a positive number all mean the default; a
    // negative limit would otherwise wrap into a huge 16-bit timeout.
    const int limit = ctx.ConfigInt("JOB", "LimitTime", 0);
    if (limit <= 0) return 300;
    return limit > 0xFFFF ? 0xFFFF : limit;
}

int TimeoutMaxChars(const AppContext& ctx) {
    return ctx.ConfigInt("JOB", "LimitTime", 0) >= 1000 ? 4 : 3;
}

uint16_t ClampTimeout(const std::string& text, int limit) {
    // The integer as the field holds it (leading digits), taken as 16 bits.
    uint32_t v = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) break;
        v = (v * 10 + static_cast<uint32_t>(c - '0')) & 0xFFFFFFu;
    }
    uint16_t value = static_cast<uint16_t>(v & 0xFFFF);
    if (value > limit) value = static_cast<uint16_t>(limit);
    return value;
}

int ImageQualityPosition(uint8_t ret) {
    return ret == 3 ? 2 : ret;
}

uint8_t RetForImageQuality(int position) {
    return position == 2 ? 3 : static_cast<uint8_t>(position);
}

} // namespace tav
