// The rules of the three Korean emulation pages that need no window: what each page holds (its
// controls, language keys, help topics and settings fields), the lines-per-inch positions, and the
// zoom, mode and point-size edits with their up/down bars.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "pjl/PrinterSettings.h"

namespace tav {

// A list, check box or edit of a page: its control, its label, the language key of its text and
// its settings field. controlId 0: the page has no such control.
struct KoreanControl {
    int controlId = 0;
    int labelId = 0; // 0: the control carries its own text
    const char* textKey = nullptr;
    uint8_t PrinterSettings::*field = nullptr;
};

enum class KoreanLpi {
    Offset, // values 5 to 10; anything else shows and stores as 6
    Table,  // position = value, twelve entries
};

struct KoreanPageLayout {
    const char* className;
    int templateId;
    const char* section;      // of the language file
    const char* fontListName; // the test print of the font list
    uint32_t featureBit;
    KoreanControl pitch;
    KoreanControl lpi;
    KoreanLpi lpiKind;
    KoreanControl font;
    uint16_t PrinterSettings::*font16; // the one page whose font field is 16 bits wide
    KoreanControl autoWrap;
    KoreanControl margin;
    KoreanControl code;
    KoreanControl zoom;
    int zoomBar;
    KoreanControl mode;
    KoreanControl ptSize;
    uint16_t PrinterSettings::*ptSizeField;
    int ptSizeBar;
    KoreanControl fontListButton;
    bool pitchTrailingBlanks; // the KS5843 pitch list spells its first three with a blank
};

const KoreanPageLayout& Ks5843Layout();
const KoreanPageLayout& KssmLayout();
const KoreanPageLayout& Ks5895Layout();

// Help topics, the same for like controls on all three pages.
inline constexpr uint32_t kKsHelpPitch = 137117, kKsHelpLpi = 137118, kKsHelpFont = 137119,
                          kKsHelpMode = 137120, kKsHelpMargin = 137121, kKsHelpCode = 137122,
                          kKsHelpZoom = 137123, kKsHelpPtSize = 137128, kKsHelpAutoWrap = 139127,
                          kKsHelpFontList = 139150;

// Fixed list items.
std::vector<std::string> KoreanPitchItems(bool trailingBlanks);
std::vector<std::string> KoreanLpiItems(KoreanLpi kind);
std::vector<std::string> KoreanMarginItems();
inline constexpr int kKoreanFontCount = 12;
inline constexpr int kHangulCodeCount = 2;

// Lines per inch of the 5-to-10 lists.
int KsLpiPosition(uint8_t value);
uint8_t KsLpiValue(int position);

// The integer at the start of a typed text, as the C library reads one: leading blanks, a sign,
// digits; 0 when there is none. Saturates instead of overflowing.
int LeadingInt(const std::string& text);

inline constexpr int kKsZoomMin = 50, kKsZoomMax = 200, kKsModeMax = 99;
uint8_t ClampKsZoom(int value);
uint8_t ClampKsMode(int value);

// Scroll codes of an up/down bar, as the window system numbers them.
inline constexpr int kScrollLineUp = 0, kScrollLineDown = 1, kScrollEnd = 8;
// The zoom after an up/down code: line up adds 1 and wraps above 200 to 50, line down subtracts
// 1 and wraps below 50 to 200, codes 2 to 8 keep the clamped text value; nothing for other codes.
std::optional<uint8_t> KsZoomScroll(const std::string& text, int code);

// Point size, in quarter points, 4.00 to 99.75.
inline constexpr int kPtSizeMaxChars = 5;
inline constexpr uint16_t kPtSizeMinQuarters = 16, kPtSizeMaxQuarters = 399;
// The text the page shows for a field value: two decimals, a leading blank below 10.
std::string PtSizeText(uint16_t quarters);
// The decimal value of a typed text (leading blanks, digits, one point); 0 when there is none.
double LeadingDecimal(const std::string& text);
struct PtSizeEntry {
    uint16_t quarters = 0;
    std::optional<std::string> text; // the text the edit is set to, when the typed one is out of range
};
// Focus loss: above 99.75 becomes "99.75", below 4 becomes "4.00"; the field is the value x 4.
PtSizeEntry PtSizeFromText(const std::string& text);
struct PtSizeStep {
    uint16_t quarters = 0;
    std::string text;
};
// Up/down: steps of 0.25 from the stored quarter, with wrap-around; codes 2 to 8 keep the clamped
// value. The text is the value stored.
std::optional<PtSizeStep> PtSizeScroll(const std::string& text, int code);

} // namespace tav
