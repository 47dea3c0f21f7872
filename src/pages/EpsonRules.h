// The Epson page's rules that need no window: which model-dependent options it offers, how the
// pitch list's positions stand for pitch values, and the form-lines limit.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "pjl/AppContext.h"

namespace tav {

// FeatureFlags bit that switches on every model-dependent Epson option.
inline constexpr uint32_t kFlagEpsonExtended = 0x20;

struct EpsonOptions {
    bool formLine = false;  // the form-lines label and edit
    bool topMargin = false; // the top-margin label and list
    bool pitchAdd = false;  // 10.3 in the pitch list
    bool hebrew = false;    // the two Hebrew character tables
};
// Each option: its EPSONIBM switch in the configuration, or the extended-options bit.
EpsonOptions EpsonOptionsFor(const AppContext& ctx);

// Pitch values as the field holds them: 0 "10", 1 "10.3", 2 "12", 3 "17.14", 4 "20".
inline constexpr uint8_t kEpsonPitch103 = 1;
inline constexpr int kEpsonPitchCount = 5;
// The list position that shows a pitch value; -1 when the list has no entry near it. Without the
// 10.3 entry a printer value of 10.3 shows as its nearest entry, 10.
int EpsonPitchPosition(uint8_t value, bool pitchAdd);
// The pitch value a store writes for the list position. A printer value of 10.3 shown as 10
// without the 10.3 entry stays until the user picks a pitch from the list (picked); position -1
// (nothing shown) keeps the field.
uint8_t EpsonPitchToStore(int position, bool pitchAdd, uint8_t field, bool picked);

inline constexpr int kEpsonFormLinesMax = 128;
int ClampEpsonFormLines(int value);

// An integer edit read as a dialog's data exchange reads it: blanks around an optional sign and
// digits; nothing for an empty or non-numeric text, or one outside the int range.
std::optional<int> ParseDialogInt(const std::string& text);

// The twelfth character set's text: the seventh's (Spain 1) with its 1 turned into 2.
std::string SecondVariantText(std::string text);

} // namespace tav
