#include "pages/ConfigRules.h"

#include <algorithm>
#include <array>

namespace tav {
namespace {

bool Has(uint32_t flags, uint32_t bit) {
    return (flags & bit) != 0;
}

// The Korean list is used only when the printer also has the first Korean emulation.
bool KoreanList(bool koreanLanguage, uint32_t flags) {
    return koreanLanguage && Has(flags, kCfgFlagKs5843);
}

uint8_t PostScriptValue(uint32_t flags) {
    return Has(flags, kCfgFlagPostScript) ? 10 : 12;
}

int Clear(uint32_t flags, uint32_t bit) {
    return Has(flags, bit) ? 0 : 1;
}

constexpr std::array<const char*, 8> kPowerSaveTimes = {"5", "10", "15", "30", "45", "60", "120", "240"};

// The rule's item, unless the list shows the value's time elsewhere.
int MatchPowerSaveItem(int value, int ruleItem, const std::vector<std::string>& items) {
    auto at = [&](int i) {
        return i >= 0 && i < static_cast<int>(items.size()) ? PowerSaveFromText(items[size_t(i)]) : 0;
    };
    if (value < 1 || value > 8 || at(ruleItem) == value) return ruleItem;
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (at(i) == value) return i;
    return ruleItem;
}

} // namespace

std::vector<EmulationItem> EmulationItems(bool koreanLanguage, uint32_t flags) {
    std::vector<EmulationItem> items = {{"IDS_EMULATION0", ""}, {"IDS_EMULATION1", ""}};
    if (KoreanList(koreanLanguage, flags)) {
        items.push_back({"IDS_EMULATION2", ""});
        if (Has(flags, kCfgFlagKssm)) items.push_back({"IDS_EMULATION3", ""});
        if (Has(flags, kCfgFlagKs5895)) items.push_back({"IDS_EMULATION4", ""});
    } else if (Has(flags, kCfgFlagEpson)) {
        items.push_back({"IDS_EMULATION6", ""});
        items.push_back({"", "IBM"});
    }
    if (Has(flags, kCfgFlagPostScript)) items.push_back({"IDS_EMULATION5", ""});
    return items;
}

EmulationValue ChooseEmulation(int item, bool koreanLanguage, uint32_t flags, EmulationValue current) {
    EmulationValue out{current.personality, 0};
    // Re-choosing the item that already shows the stored value keeps it. The item number alone
    // is not enough: KS5843 is stored as 5, and item 5 means PostScript.
    if (item == current.personality && EmulationItemFor(current, koreanLanguage, flags) == item) return out;
    const bool k = KoreanList(koreanLanguage, flags);
    const uint8_t ps = PostScriptValue(flags);
    switch (item) {
    case 0:
    case 1:
        out.personality = static_cast<uint8_t>(item);
        break;
    case 2:
        out.personality = k ? 5 : (Has(flags, kCfgFlagEpson) ? 12 : 10);
        break;
    case 3:
        if (k) {
            out.personality = Has(flags, kCfgFlagKssm) ? 6 : Has(flags, kCfgFlagKs5895) ? 7 : ps;
        } else {
            out.personality = 12;
            out.epsonIbm = 1;
        }
        break;
    case 4:
        // Item 4 is KS5895 only when KSSM sits before it; without KSSM, KS5895 is item 3 and item 4
        // is PostScript.
        out.personality = k ? (Has(flags, kCfgFlagKssm) && Has(flags, kCfgFlagKs5895) ? 7 : ps) : 10;
        break;
    case 5:
        out.personality = ps;
        break;
    case 6:
        out.personality = 12;
        break;
    default:
        return current; // no such item in any list
    }
    return out;
}

int EmulationItemFor(EmulationValue value, bool koreanLanguage, uint32_t flags) {
    const int p = value.personality;
    if (KoreanList(koreanLanguage, flags)) {
        switch (p) {
        case 5:
            return 2;
        case 6:
            return 3;
        case 7:
            return 4 - Clear(flags, kCfgFlagKssm);
        case 10:
        case 14:
            return 5 - Clear(flags, kCfgFlagKs5895) - Clear(flags, kCfgFlagKssm);
        case 12: {
            // The Korean list has no Epson entry: its count runs one past the list's end. The
            // nearest entry, the last, shows instead; the field keeps 12 until the user picks.
            const int item = 6 - Clear(flags, kCfgFlagPostScript) - Clear(flags, kCfgFlagKs5895) -
                             Clear(flags, kCfgFlagKssm);
            return std::min(item, static_cast<int>(EmulationItems(koreanLanguage, flags).size()) - 1);
        }
        default:
            return p;
        }
    }
    switch (p) {
    case 10:
    case 14:
        return Has(flags, kCfgFlagEpson) ? 4 : 2;
    case 12:
        return value.epsonIbm ? 3 : 2;
    default:
        return p;
    }
}

int PowerSaveFromText(const std::string& text) {
    for (size_t i = 0; i < kPowerSaveTimes.size(); ++i)
        if (text == kPowerSaveTimes[i]) return static_cast<int>(i) + 1;
    return 0;
}

std::string PowerSaveText(int value) {
    return value >= 1 && value <= 8 ? kPowerSaveTimes[static_cast<size_t>(value - 1)] : "";
}

std::vector<std::string> PowerSaveItems(const AppContext& ctx) {
    std::vector<std::string> items;
    for (int i = 0; i < 8; ++i) {
        std::string v = ctx.Config("STR_CONFIG", "IDS_POWERSAVE_VALUE" + std::to_string(i), "", 31);
        if (!v.empty()) items.push_back(std::move(v));
    }
    return items;
}

int StandardPowerSaveItem(int value, const std::vector<std::string>& items) {
    const int rule = value >= 2 && value <= 8 ? value - 1 : 0;
    return MatchPowerSaveItem(value, rule, items);
}

int KalorPowerSaveItem(int value, const std::vector<std::string>& items) {
    int rule = 3;
    switch (value) {
    case 3:
        rule = 0;
        break;
    case 4:
        rule = 1;
        break;
    case 1:
    case 6:
        rule = 2;
        break;
    case 8:
        rule = 4;
        break;
    case 5:
        rule = 7;
        break;
    default:
        break;
    }
    return MatchPowerSaveItem(value, rule, items);
}

} // namespace tav
