#include "cli/SettingNames.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>

namespace tav::cli {
namespace {

using namespace keywords;
using namespace std::string_view_literals;

// Spellings tavctl accepts for fields that the upload spells by rule rather than by table.
constexpr std::array duplexWordsA = {"OFF"sv, "LONGEDGE"sv, "SHORTEDGE"sv};
constexpr std::array calibrationWordsA = {"OFF"sv, "AUTO"sv};
constexpr std::array customColorWordsA = {"DEFAULT"sv, "CMYK"sv};
constexpr std::array epsonIbmWordsA = {"EPSON"sv, "IBM"sv};
const KeywordTable kDuplexWords{duplexWordsA};
const KeywordTable kCalibrationWords{calibrationWordsA};
const KeywordTable kCustomColorWords{customColorWordsA};
const KeywordTable kEpsonIbmWords{epsonIbmWordsA};

#define T(expr) +[](const TableChoice& c) -> KeywordTable { (void)c; return expr; }
#define GET(m) +[](const PrinterSettings& s) -> uint32_t { return s.m; }
#define PUT(m) +[](PrinterSettings& s, uint32_t v) { s.m = static_cast<decltype(s.m)>(v); }
#define RW(name, index, m, table) {name, index, sizeof(PrinterSettings::m), GET(m), PUT(m), table}
#define NUM(name, index, m) {name, index, sizeof(PrinterSettings::m), GET(m), PUT(m), nullptr}
#define RO(name, index, m) {name, index, sizeof(PrinterSettings::m), GET(m), nullptr, nullptr}

const std::vector<SettingName> kNames = {
    RW("PAPER", 0, paper, T(kPaperNames)),
    RW("INTRAY1SIZE", 1, inTray1Size, T(kPaperNames)),
    NUM("COPIES", 2, copies),
    RW("ORIENTATION", 3, orientation, T(kOrientation)),
    RW("MEDIASOURCE", 4, mediaSource, T(kPaperSource)),
    NUM("TOPMARGIN", 5, topMargin),
    NUM("LEFTMARGIN", 6, leftMargin),
    RW("DUPLEX", 7, duplex, T(kDuplexWords)),
    {"PERSONALITY", 8, 1, GET(personality), PUT(personality), T(kPersonality), 1},
    RO("INDEX9", 9, kept9),
    RO("INDEX10", 10, kept10),
    RW("POWERSAVE", 11, powerSave, T(kPowerSaveTime)),
    RW("AUTOCONT", 12, autoCont, T(kOnOff)),
    RW("ECONOMODE", 13, economode, T(kOnOff)),
    RW("JAMRECOVERY", 14, jamRecovery, T(c.kalor ? kJamRecoveryKalor : kOnOff)),
    RO("INDEX15", 15, kept15),
    RO("INDEX16", 16, kept16),
    RW("RET", 17, ret, T(kImageEnhancement)),
    NUM("TIMEOUT", 18, timeout),
    NUM("DENSITY", 19, density),
    RW("PAPERTYPE", 20, paperType, T(c.cotton ? kPaperTypesCotton : kPaperTypesStandard)),
    RO("INDEX22", 22, kept22),
    RW("BAUDRATE", 23, baudRate, T(kBaudRates)),
    RW("ROBUST", 24, robust, T(kOnOff)),
    RO("INDEX25", 25, kept25to29[0]),
    RO("INDEX26", 26, kept25to29[1]),
    RO("INDEX27", 27, kept25to29[2]),
    RO("INDEX28", 28, kept25to29[3]),
    RO("INDEX29", 29, kept25to29[4]),
    NUM("FONTNUMBER", 30, fontNumber),
    RW("SYMSET", 31, symSet, T(kSymbolSets)),
    NUM("FORMLINES", 32, formLines),
    NUM("PITCH", 33, pitch),
    NUM("PTSIZE", 34, ptSize),
    RW("HANGULCODE", 35, hangulCode, T(kHangulCodes)),
    RW("FONT", 36, ksFont, T(kKoreanFonts)),
    NUM("KSZOOM", 37, ksZoom),
    NUM("KSLPI", 38, ksLpi),
    RW("KSPITCH", 39, ksPitch, T(kKoreanPitches)),
    RW("KSSMPITCH", 40, kssmPitch, T(kKoreanPitches)),
    RW("AUTOWRAP", 41, autoWrap, T(kOnOff)),
    RW("AUTOCR", 42, autoCr, T(kAutoCr)),
    NUM("KSC5895PTSIZE", 43, ksc5895PtSize),
    RW("KSC5895LPI", 44, ksc5895Lpi, T(kKs5895Lpi)),
    RW("KSC5895HANGULCODE", 45, ksc5895HangulCode, T(kHangulCodes)),
    RW("KSC5895FONT", 46, ksc5895Font, T(kKoreanFonts)),
    NUM("KSC5895ZOOM", 47, ksc5895Zoom),
    RW("KSC5895AUTOWRAP", 48, ksc5895AutoWrap, T(kOnOff)),
    RW("PRTPSERRS", 50, prtPsErrs, T(kOnOff)),
    RO("INDEX52", 52, kept52),
    RW("RESOLUTION", 53, resolution, T(c.resolution.UploadTable())),
    RW("COURIER", 54, courier, T(kCourier)),
    RW("SMET", 55, smet, T(kOnOff)),
    NUM("KSMARGIN", 56, ksMargin),
    NUM("KSSMMARGIN", 57, kssmMargin),
    RW("KSSMHANGULCODE", 58, kssmHangulCode, T(kHangulCodes)),
    RW("KSSMFONT", 59, kssmFont, T(kKoreanFonts)),
    NUM("KSSMZOOM", 60, kssmZoom),
    NUM("KSSMLPI", 61, kssmLpi),
    RW("KSSMAUTOWRAP", 62, kssmAutoWrap, T(kOnOff)),
    RW("AUTOCLEAN", 63, autoClean, T(kOnOff)),
    NUM("CUSTOMWIDTH", 64, customWidth),
    NUM("CUSTOMHEIGHT", 65, customHeight),
    RW("EPSONFONT", 66, epsonFont, T(kEpsonFonts)),
    NUM("EPSONFORMLINE", 67, epsonFormLine),
    RW("EPSONAUTOWRAP", 68, epsonAutoWrap, T(kOnOff)),
    RW("EPSONCOUNTRY", 71, epsonCountry, T(kEpsonCountries)),
    RW("EPSONTABLE", 72, epsonTable, T(kEpsonTables)),
    RW("EPSONLPI", 73, epsonLpi, T(kEpsonLpi)),
    RW("EPSONPITCH", 74, epsonPitch, T(kEpsonPitches)),
    NUM("EPSONTMARGIN", 75, epsonTopMargin),
    RW("EPSONIBM", 77, epsonIbm, T(kEpsonIbmWords)),
    RW("DARKTEXT", 86, darkText, T(kOnOff)),
    RW("ALTITUDE", 87, altitude, T(c.altiPlain ? kAltitudePlain : kAltitudeStandard)),
    RO("PCLPAGEVALUE", 90, pclPageValue),
    RO("FLASHVALUE", 91, flashValue),
    RW("TRAY1PAPERTYPE", 92, tray1PaperType, T(kPaperTypesStandard)),
    RW("TRAY2PAPERTYPE", 93, tray2PaperType, T(kPaperTypesStandard)),
    RW("TRAY3PAPERTYPE", 94, tray3PaperType, T(kPaperTypesStandard)),
    NUM("DUPTOPMARGIN", 95, dupTopMargin),
    NUM("DUPLEFTMARGIN", 96, dupLeftMargin),
    RO("MARGINUNIT", 97, marginUnit),
    RW("WIDEA4", 100, wideA4, T(kOnOff)),
    NUM("KSMODE", 126, ksMode),
    NUM("KSSMMODE", 127, kssmMode),
    RW("CALIBRATION", 151, calibration, T(kCalibrationWords)),
    RW("CUSTOMCOLOR", 152, customColor, T(kCustomColorWords)),
    NUM("CMYK_C", 153, cmykC),
    NUM("CMYK_M", 154, cmykM),
    NUM("CMYK_Y", 155, cmykY),
    NUM("CMYK_K", 156, cmykK),
    RO("INDEX190", 190, kept190to194[0]),
    RO("INDEX191", 191, kept190to194[1]),
    RO("INDEX192", 192, kept190to194[2]),
    RO("INDEX193", 193, kept190to194[3]),
    RO("INDEX194", 194, kept190to194[4]),
    RO("FEATUREFLAGS", 198, featureFlags),
    RO("INDEX199", 199, kept199),
};
#undef RO
#undef NUM
#undef RW
#undef PUT
#undef GET
#undef T

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::optional<uint32_t> ParseNumber(std::string_view s) {
    if (s.empty() || s.size() > 10) return std::nullopt;
    uint64_t v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<uint32_t>(v);
}

// The index whose keyword is spelled as the one at index (a table may repeat a spelling).
size_t FirstSpelling(KeywordTable table, size_t index) {
    for (size_t i = 0; i < index; ++i)
        if (Trimmed(table[i]) == Trimmed(table[index])) return i;
    return index;
}

}  // namespace

std::string ValueText(const SettingName& f, uint32_t v, const TableChoice& tables, bool numeric) {
    if (f.index == 198) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(v));
        return hex;
    }
    if (!f.table || numeric) return std::to_string(v);
    const KeywordTable table = f.table(tables);
    // A value the table does not spell, or spells as an earlier entry, keeps its stored number.
    if (v >= table.size() || FirstSpelling(table, v) != v || Trimmed(table[v]).empty()) return "#" + std::to_string(v);
    return std::string(Trimmed(table[v]));
}

namespace {
std::string Line(const SettingName& f, const PrinterSettings& s, const TableChoice& tables, bool numeric) {
    return std::string(f.name) + "=" + ValueText(f, f.get(s), tables, numeric);
}
}  // namespace

TableChoice TableChoice::FromConfig(const AppContext& ctx) {
    TableChoice c;
    c.kalor = ctx.IsKalor();
    c.altiPlain = ctx.ConfigFlag("Config", "AltiPlain");
    c.cotton = ctx.ConfigFlag("JOB", "COTTON");
    c.resolution = ResolutionRules::FromConfig(ctx);
    return c;
}

const std::vector<SettingName>& SettingNames() { return kNames; }

const SettingName* FindSetting(std::string_view name) {
    for (const SettingName& f : kNames)
        if (f.name == name) return &f;
    return nullptr;
}

std::optional<Assignment> ParseAssignment(std::string_view text, const TableChoice& tables,
                                          uint32_t residentFontCount, std::string* error) {
    auto fail = [&](std::string why) -> std::optional<Assignment> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) return fail("\"" + std::string(text) + "\" is not NAME=VALUE");
    const std::string name(text.substr(0, eq));
    const std::string_view value = text.substr(eq + 1);
    const SettingName* f = FindSetting(Upper(name));
    if (!f) return fail("unknown setting \"" + name + "\" (tavctl set --help lists them)");
    if (!f->set) return fail(std::string(f->name) + " is read only");
    if (value.empty()) return fail(std::string(f->name) + " needs a value");

    // One spelling per field, the one query prints: a keyword where the field has a table (a
    // number that is also a keyword is that keyword), else the number; #N is the stored number.
    std::optional<uint32_t> number;
    if (value[0] == '#') {
        number = ParseNumber(value.substr(1));
    } else if (f->table) {
        const KeywordTable table = f->table(tables);
        const std::string word = Upper(value);
        for (size_t i = 0; i < table.size(); ++i)
            if (!Trimmed(table[i]).empty() && Trimmed(table[i]) == word) return Assignment{f, static_cast<uint32_t>(i)};
        if (ParseNumber(value))
            return fail("\"" + std::string(value) + "\" is not a keyword of " + std::string(f->name) + " (#" +
                        std::string(value) + " sets the stored number; tavctl set --help lists the keywords)");
    } else {
        number = ParseNumber(value);
    }
    if (!number) return fail("\"" + std::string(value) + "\" is not a value of " + std::string(f->name));

    uint64_t limit = f->width >= 4 ? 0xFFFFFFFFull : (1ull << (8 * f->width)) - 1;
    if (f->table) limit = f->table(tables).size() - 1 + f->extra;
    if (f->index == 30 && residentFontCount > 0) limit = residentFontCount - 1;  // no flash listing here
    if (*number > limit)
        return fail(std::string(f->name) + " takes 0 to " + std::to_string(limit) + ", not " +
                    std::to_string(*number));
    return Assignment{f, *number};
}

std::vector<std::string> SettingLines(const PrinterSettings& s, const TableChoice& tables, bool numeric) {
    std::vector<std::string> lines;
    for (const SettingName& f : kNames) lines.push_back(Line(f, s, tables, numeric));
    return lines;
}

std::vector<std::string> ChangedLines(const PrinterSettings& before, const PrinterSettings& after,
                                      const TableChoice& tables, bool numeric) {
    std::vector<std::string> lines;
    for (const SettingName& f : kNames)
        if (f.get(before) != f.get(after)) lines.push_back(Line(f, after, tables, numeric));
    return lines;
}

}  // namespace tav::cli
