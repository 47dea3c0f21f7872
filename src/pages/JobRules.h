// The Job page's rules that need no window: which paper types a list offers, how its positions
// map to paper-type codes through the model's sections, the timeout limit and the image quality
// positions.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "pjl/AppContext.h"

namespace tav {

struct PaperTypeEntry {
    const char* gateKey;      // in the list's section of the configuration file
    const char* trayTextKey;  // [STR_JOB] text of a tray list
    const char* paperTextKey; // [STR_JOB] text of the paper type list
};
// The fifteen entries in their fixed order.
const std::array<PaperTypeEntry, 15>& PaperTypeEntries();

// The [STR_JOB] text keys of a list, gated by `section` (Tray1, Tray2 or Tray3).
std::vector<std::string> PaperTypeListKeys(const AppContext& ctx, const char* section, bool paperTypeList);

// Position -> code through `section` (Tray1..Tray3) and code -> position through `getSection`
// (GetTray1..GetTray3): the key is the number in decimal, a missing key gives 0.
int PaperTypeCode(const AppContext& ctx, const char* section, int position);
int PaperTypePosition(const AppContext& ctx, const char* getSection, int code);
// True for a code the printer knows (0 to 14).
bool IsPaperTypeCode(int code);

// The timeout limit: JOB/LimitTime when it is a positive number, else 300.
int TimeoutLimit(const AppContext& ctx);
// The edit takes four characters when JOB/LimitTime is 1000 or more, else three.
int TimeoutMaxChars(const AppContext& ctx);
// The accepted value of the field's text (digits; empty is handled by the page).
uint16_t ClampTimeout(const std::string& text, int limit);

// The toner density list's levels; DENSITY stores the position.
inline constexpr int kDensityLevels = 3;
// Image quality: positions 0 and 1 are RET 0 and 1, position 2 is RET 3.
int ImageQualityPosition(uint8_t ret);
uint8_t RetForImageQuality(int position);

} // namespace tav
