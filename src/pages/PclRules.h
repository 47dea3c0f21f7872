// The PCL page's rules that need no window: the two list files, which size controls a typeface
// allows and which sizes it starts with, the symbol set a typeface brings, the translation between
// symbol-set numbers and list positions, and how the pitch, point-size and lines fields are
// accepted and stepped.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pjl/AppContext.h"
#include "pjl/PclFont.h"

namespace tav {

// The switches of the model and the printer that the rules read.
struct PclSwitches {
    bool kalor = false;      // Common/STRING is KALOR
    bool extraSets = false;  // FeatureFlags bit 0x4000: Greek and Arabic sets beside Cyrillic
    bool arabicOff = false;  // PCL/Arabic_OFF
    bool arabicFont = false; // PCL/ARABICFONT
    int residentFonts = 54;  // typefaces below this are built in; flash fonts follow

    static PclSwitches From(const AppContext& ctx);
};

// The typefaces of the built-in list that the rules single out.
inline constexpr int kSymbolFace = 43;     // takes the Symbol set
inline constexpr int kDingbatFace = 44;    // takes the Wingdings set
inline constexpr int kFirstFixedFace = 45; // line-printer and bitmap faces 45..53
inline constexpr int kLastFixedFace = 53;
inline constexpr int kFirstHebrewFace = 54; // the OEM brand's Hebrew faces 54..67
inline constexpr int kPc8Position = 33;     // the symbol set a typeface falls back to
inline constexpr int kHebrewBase = 40;      // Hebrew 15Q, 8, 7 are symbol sets 40, 41, 42

// One list file: its items in order, and whether it could be read at all.
struct ListFile {
    std::vector<std::string> items;
    bool opened = false;
};
// Each line gives one item: the text after the first "=", or the whole line without one. A
// trailing CR, a leading byte-order mark and blank lines at the end are dropped; an item is cut to
// kMaxListItem bytes without splitting a character.
ListFile ReadListFile(const std::string& path);
ListFile ParseListText(std::string_view text);
// A list file is read no further than this.
inline constexpr size_t kMaxListFileBytes = 1 << 20;
inline constexpr size_t kMaxListItem = 255;

// The typeface list fitted to the model's built-in typefaces, so that flash fonts follow at their
// own positions: a typeface the file lacks shows as `unnamed` and its number, lines past the count
// are left out. False when the file did not hold exactly that many.
bool FitTypefaces(std::vector<std::string>& faces, int residentFonts, const std::string& unnamed);

// The text of a flash font in the typeface list: "<name> (ID: <id>)".
std::string FlashFontItem(const FlashFontEntry& font);
// The symbol-set text a flash font carries, at most 3 characters, without padding.
std::string FlashFontSymbolSet(const FlashFontEntry& font);

// Which of pitch and point size a typeface lets the user set.
struct SizeControls {
    bool pitch = false;
    bool pointSize = false;
};
SizeControls SizeControlsFor(int typeface, const PclSwitches& sw);

// The sizes a newly chosen typeface starts with, as the fields show them.
struct SizeTexts {
    const char* pitch;
    const char* pointSize;
};
SizeTexts DefaultSizesFor(int typeface, const PclSwitches& sw);

// Typefaces whose list also offers the Cyrillic (and Greek and Arabic) sets.
bool TakesExtraSets(int typeface);
// Those extra list items, in list order after the file's.
std::vector<std::string> ExtraSymbolSets(const PclSwitches& sw);
std::vector<std::string> HebrewSymbolSets();

// The symbol-set position a built-in typeface below the Hebrew faces brings with it; faces
// without a set of their own keep `current` while loading and fall back to PC-8 otherwise.
int SymbolSetForTypeface(int typeface, int current, bool loading);
// Whether the symbol-set list can be changed for this typeface.
bool SymbolSetListEnabled(int typeface, const PclSwitches& sw);

// With the extra sets, the printer numbers Greek and Arabic after the Hebrew sets while the list
// shows them right after Cyrillic. Number -> list position; nothing for a number the extra items
// do not hold.
std::optional<int> ExtraSetPosition(int number, bool arabicOff);
// Without the extra sets, and for the numbers they do not hold, a number is its own position.
int SymbolSetPositionOfNumber(int number, const PclSwitches& sw);
// List position -> number; positions outside the extra items are their own numbers.
int SymbolSetNumberOfPosition(int position, const PclSwitches& sw);

// One accepted field: the value stored and the text shown again.
struct PclEdit {
    int stored = 0;
    std::string text;
};
inline constexpr int kPitchMin = 44; // hundredths
inline constexpr int kPitchMax = 9999;
inline constexpr int kPointMin = 16; // quarter points
int PointMax(bool kalor);            // 399 or 3999
inline constexpr int kLinesMin = 5;
inline constexpr int kLinesMax = 128;

// Pitch in hundredths; the field keeps its value when the text says the same.
PclEdit AcceptPitch(std::string_view text, int field);
// Point size in quarter points.
PclEdit AcceptPointSize(std::string_view text, int field, bool kalor);
// Lines per page: an empty field is 5.
PclEdit AcceptLines(std::string_view text);

// The up/down bars: scroll code 0 is one step up, 1 one step down, wrapping at the ends.
PclEdit StepPitch(std::string_view text, int code);
PclEdit StepPointSize(std::string_view text, int code, bool kalor);

// "%.2f" of a stored pitch (hundredths) or point size (quarters).
std::string PitchText(int hundredths);
std::string PointSizeText(int quarters);

} // namespace tav
