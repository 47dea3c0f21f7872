#include "pages/PclRules.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <iterator>

#include "pages/PrintingRules.h"
#include "platform/UserFile.h"

namespace tav {
namespace {

constexpr uint32_t kFlagExtraSets = 0x4000;
// A list longer than this is not a list of typefaces; the rest is left out.
constexpr size_t kMaxListItems = 1000;

// Cuts s to at most n bytes, never inside a UTF-8 sequence.
void CutUtf8(std::string& s, size_t n) {
    if (s.size() <= n) return;
    size_t cut = n;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80)
        --cut;
    s.resize(cut);
}

bool IsBlank(std::string_view s) {
    return s.find_first_not_of(" \t") == std::string_view::npos;
}

std::string Fixed2(int hundredths) {
    const int v = std::max(hundredths, 0);
    const int frac = v % 100;
    return std::to_string(v / 100) + (frac < 10 ? ".0" : ".") + std::to_string(frac);
}

} // namespace

PclSwitches PclSwitches::From(const AppContext& ctx) {
    PclSwitches sw;
    const PrinterSettings& ed = ctx.store.edited;
    sw.kalor = ctx.IsKalor();
    sw.extraSets = (ed.featureFlags & kFlagExtraSets) != 0;
    sw.arabicOff = ctx.ConfigFlag("PCL", "Arabic_OFF");
    sw.arabicFont = ctx.ConfigFlag("PCL", "ARABICFONT");
    // Before the first settings record the brand alone decides it, as the record parse does.
    sw.residentFonts =
        ed.residentFontCount != 0 ? static_cast<int>(ed.residentFontCount) : (sw.kalor ? 68 : 54);
    return sw;
}

ListFile ParseListText(std::string_view text) {
    ListFile f;
    f.opened = true;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty() && f.items.size() < kMaxListItems) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t eq = line.find('=');
        std::string item(eq == std::string_view::npos ? line : line.substr(eq + 1));
        CutUtf8(item, kMaxListItem);
        f.items.push_back(std::move(item));
    }
    // Blank lines at the end would become empty entries after the last real one.
    while (!f.items.empty() && IsBlank(f.items.back()))
        f.items.pop_back();
    return f;
}

ListFile ReadListFile(const std::string& path) {
    RegularFile file(path);
    if (!file.IsOpen()) return {};
    std::string text;
    text.resize(kMaxListFileBytes);
    text.resize(file.Read(text.data(), text.size()));
    return ParseListText(text);
}

bool FitTypefaces(std::vector<std::string>& faces, int residentFonts, const std::string& unnamed) {
    const size_t count = static_cast<size_t>(std::max(residentFonts, 0));
    const bool fits = faces.size() == count;
    faces.resize(std::min(faces.size(), count));
    while (faces.size() < count)
        faces.push_back(unnamed + " " + std::to_string(faces.size()));
    return fits;
}

std::string FlashFontItem(const FlashFontEntry& font) {
    std::string name(font.typeface, strnlen(font.typeface, 20));
    return name + " (ID: " + std::to_string(font.fontId) + ")";
}

std::string FlashFontSymbolSet(const FlashFontEntry& font) {
    // The printer pads a short set name with blanks.
    std::string set(font.symbolSet, strnlen(font.symbolSet, 3));
    while (!set.empty() && (set.back() == ' ' || set.back() == '\0'))
        set.pop_back();
    return set;
}

SizeControls SizeControlsFor(int typeface, const PclSwitches& sw) {
    if (typeface < 0) return {};
    if (typeface <= 6) return {true, false};
    if (typeface <= kDingbatFace) return {false, true};
    if (typeface <= kLastFixedFace) return {false, false};
    if (typeface <= 55) return {true, !sw.kalor};
    if (typeface <= 67) return {!sw.kalor, true};
    return {true, true};
}

SizeTexts DefaultSizesFor(int typeface, const PclSwitches& sw) {
    if (typeface >= kFirstFixedFace && typeface <= kLastFixedFace && typeface < sw.residentFonts)
        return {"16.67", "8.50"};
    return {"10.00", "12.00"};
}

bool TakesExtraSets(int typeface) {
    return (typeface >= 0 && typeface <= 3) || (typeface >= 9 && typeface <= 12) ||
           (typeface >= 19 && typeface <= 22);
}

std::vector<std::string> ExtraSymbolSets(const PclSwitches& sw) {
    if (!sw.extraSets) return {"ISO 8859/5 Latin Cyrillic", "PC Cyrillic"};
    if (sw.arabicOff)
        return {"ISO 8859/5 Latin Cyrillic", "PC Cyrillic", "ISO 8859/7 Latin Greek", "PC-8 Latin/Greek"};
    return {"ISO 8859/5 Latin Cyrillic",
            "PC Cyrillic",
            "ISO 8859/7 Latin Greek",
            "HP Arabic-8",
            "Windows Arabic",
            "Code Page 864",
            "Farsi",
            "ISO 8859/6 Latin Arabic",
            "PC-8 Latin/Greek"};
}

std::vector<std::string> HebrewSymbolSets() {
    return {"Hebrew 15Q", "Hebrew 8", "Hebrew 7"};
}

int SymbolSetForTypeface(int typeface, int current, bool loading) {
    // Typefaces 43..53 each carry one set.
    static constexpr std::array<int, 11> kOwnSet = {20, 21, 0, 2, 33, 34, 35, 22, 3, 4, 5};
    if (typeface >= kSymbolFace && typeface <= kLastFixedFace)
        return kOwnSet[static_cast<size_t>(typeface - kSymbolFace)];
    return loading ? current : kPc8Position;
}

bool SymbolSetListEnabled(int typeface, const PclSwitches& sw) {
    if (typeface >= kSymbolFace && typeface <= kLastFixedFace) return false;
    return typeface < sw.residentFonts;
}

std::optional<int> ExtraSetPosition(int number, bool arabicOff) {
    if (arabicOff) {
        if (number == 43) return 40;
        if (number == 49) return 41;
        return std::nullopt;
    }
    if (number >= 43 && number <= 49) return number - 3;
    return std::nullopt;
}

int SymbolSetPositionOfNumber(int number, const PclSwitches& sw) {
    if (!sw.extraSets) return number;
    return ExtraSetPosition(number, sw.arabicOff).value_or(number);
}

int SymbolSetNumberOfPosition(int position, const PclSwitches& sw) {
    if (!sw.extraSets) return position;
    if (sw.arabicOff) {
        if (position == 40) return 43;
        if (position == 41) return 49;
        return position;
    }
    if (position >= 40 && position <= 46) return position + 3;
    return position;
}

int PointMax(bool kalor) {
    return kalor ? 399 : 3999;
}

PclEdit AcceptPitch(std::string_view text, int field) {
    // Hundredths exactly: "16.67" would lose one through binary rounding.
    const int v = ParseFieldHundredths(text);
    PclEdit r;
    r.stored = v == field ? field : std::clamp(v, kPitchMin, kPitchMax);
    r.text = PitchText(r.stored);
    return r;
}

PclEdit AcceptPointSize(std::string_view text, int field, bool kalor) {
    const long h = ParseFieldHundredths(text); // the text in hundredths of a point
    const long maxH = PointMax(kalor) * 25L;
    PclEdit r;
    if (h * 4 == field * 100L)
        r.stored = field;
    else if (h < 400)
        r.stored = kPointMin;
    else if (h > maxH)
        r.stored = PointMax(kalor);
    else
        r.stored = static_cast<int>(h * 4 / 100);
    r.text = PointSizeText(r.stored);
    return r;
}

PclEdit AcceptLines(std::string_view text) {
    PclEdit r;
    r.stored = IsBlank(text) ? kLinesMin : std::clamp(ParseFieldInt(text), kLinesMin, kLinesMax);
    r.text = std::to_string(r.stored);
    return r;
}

PclEdit StepPitch(std::string_view text, int code) {
    int h = std::clamp(ParseFieldHundredths(text), kPitchMin, kPitchMax);
    if (code == 0)
        h = h + 1 > kPitchMax ? kPitchMin : h + 1;
    else if (code == 1)
        h = h - 1 < kPitchMin ? kPitchMax : h - 1;
    return {h, PitchText(h)};
}

PclEdit StepPointSize(std::string_view text, int code, bool kalor) {
    const int minH = kPointMin * 25;
    const int maxH = PointMax(kalor) * 25;
    int h = std::clamp(ParseFieldHundredths(text), minH, maxH);
    if (code == 0)
        h = h + 25 > maxH ? minH : h + 25;
    else if (code == 1)
        h = h - 25 < minH ? maxH : h - 25;
    const int quarters = (h + 12) / 25; // to the nearest quarter point
    return {quarters, PointSizeText(quarters)};
}

std::string PitchText(int hundredths) {
    return Fixed2(hundredths);
}

std::string PointSizeText(int quarters) {
    return Fixed2(quarters * 25);
}

} // namespace tav
