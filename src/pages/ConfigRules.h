// The Config page's rules that need no window: the emulation list and its mapping to PERSONALITY
// and the Epson/IBM field in both directions, and the power-save time lists of both variants.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "pjl/AppContext.h"

namespace tav {

// Capability bits the Config page reads.
inline constexpr uint32_t kCfgFlagDuplex = 0x4;
inline constexpr uint32_t kCfgFlagKs5843 = 0x100000;
inline constexpr uint32_t kCfgFlagKssm = 0x200000;
inline constexpr uint32_t kCfgFlagKs5895 = 0x400000;
inline constexpr uint32_t kCfgFlagEpson = 0x8000000;
inline constexpr uint32_t kCfgFlagPostScript = 0x20000000;

// One entry of the emulation list: a [STR_CFG] key of the language file, or a fixed text.
struct EmulationItem {
    std::string langKey; // empty for a fixed text
    std::string fixedText;
    bool operator==(const EmulationItem&) const = default;
};

// The list for this language and capability word, in order.
std::vector<EmulationItem> EmulationItems(bool koreanLanguage, uint32_t flags);

struct EmulationValue {
    uint8_t personality = 0;
    uint8_t epsonIbm = 0;
    bool operator==(const EmulationValue&) const = default;
};

// What choosing list item `item` stores, given the stored values. Choosing the item that the
// stored values already show keeps them as they are (so 14 stays 14 and IBM stays IBM).
EmulationValue ChooseEmulation(int item, bool koreanLanguage, uint32_t flags, EmulationValue current);

// The list item that shows the stored values; it may lie outside the list (then nothing is shown).
int EmulationItemFor(EmulationValue value, bool koreanLanguage, uint32_t flags);

// POWERSAVE for a list text: "5", "10", "15", "30", "45", "60", "120", "240" give 1 to 8; 0 when
// the text is none of them.
int PowerSaveFromText(const std::string& text);
// The time text of POWERSAVE 1 to 8; "" otherwise.
std::string PowerSaveText(int value);

// The model's power-save times, [STR_CONFIG] IDS_POWERSAVE_VALUE0..7 of the configuration file,
// absent or empty keys left out.
std::vector<std::string> PowerSaveItems(const AppContext& ctx);

// The list item that shows POWERSAVE on the standard page (value non-zero): value - 1 for 2 to 8,
// item 0 for anything else; on the KALOR page: 3 gives 0, 4 gives 1, 1 and 6 give 2, 8 gives 4,
// 5 gives 7, anything else 3. When the model's list holds the value's time at another item than
// the rule names, that item is shown instead, so the list never shows a time that is not stored.
int StandardPowerSaveItem(int value, const std::vector<std::string>& items);
int KalorPowerSaveItem(int value, const std::vector<std::string>& items);

} // namespace tav
