// The keyword tables that spell settings values the way the printer's PJL expects; a field's
// value is an index into its table.
#pragma once
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace tav {

using KeywordTable = std::span<const std::string_view>;

namespace keywords {
extern const KeywordTable kPaperNames;
extern const KeywordTable kOrientation;
extern const KeywordTable kPaperSource;
extern const KeywordTable kOnOff;
extern const KeywordTable kPersonality;  // index 12 is spelled apart (EPSON or IBM)
extern const KeywordTable kPowerSaveTime;
extern const KeywordTable kAltitudeStandard;
extern const KeywordTable kAltitudePlain;
extern const KeywordTable kJamRecoveryKalor;
extern const KeywordTable kPaperTypesStandard;
extern const KeywordTable kPaperTypesCotton;
extern const KeywordTable kBaudRates;
extern const KeywordTable kSymbolSets;
extern const KeywordTable kHangulCodes;
extern const KeywordTable kKoreanFonts;
extern const KeywordTable kKoreanPitches;
extern const KeywordTable kKs5895Lpi;
extern const KeywordTable kAutoCr;
extern const KeywordTable kResolutionFull;
extern const KeywordTable kResolutionShort;
extern const KeywordTable kCourier;
extern const KeywordTable kImageEnhancement;
extern const KeywordTable kEpsonFonts;
extern const KeywordTable kEpsonCountries;
extern const KeywordTable kEpsonTables;
extern const KeywordTable kEpsonLpi;
extern const KeywordTable kEpsonPitches;
extern const KeywordTable kDuplex;       // OFF, then the binding of ON
extern const KeywordTable kCalibration;  // zero, non-zero
extern const KeywordTable kCustomColor;  // zero, non-zero
extern const KeywordTable kEpsonIbm;     // how personality 12 is spelled
}  // namespace keywords

// The entry at index, or nothing when the index lies outside the table.
inline std::optional<std::string_view> KeywordAt(KeywordTable table, size_t index) {
    if (index >= table.size()) return std::nullopt;
    return table[index];
}

}  // namespace tav
