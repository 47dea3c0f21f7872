#include "pjl/SettingsFields.h"

#include <array>
#include <type_traits>

namespace tav {
namespace {

using namespace keywords;

#define T(expr)                                                                                              \
    +[](const TableChoice& c) -> KeywordTable {                                                              \
        (void)c;                                                                                             \
        return expr;                                                                                         \
    }
#define GET(m) +[](const PrinterSettings& s) -> uint32_t { return s.m; }
#define PUT(m)                                                                                               \
    +[](PrinterSettings& s, uint32_t v) { s.m = static_cast<std::remove_cvref_t<decltype(s.m)>>(v); }
// A field whose record width is its member's.
#define F(index, m, name, table, send, ...)                                                                  \
    { index, sizeof(PrinterSettings::m), name, GET(m), PUT(m), table, SendAs::send, __VA_ARGS__ }
// A field the record gives a width of its own.
#define W(index, width, m, name, table, send)                                                                \
    { index, width, name, GET(m), PUT(m), table, SendAs::send }

// In the order the upload sends them: the job's lines keep this order whatever else changes.
const SettingField kFields[] = {
    F(151, calibration, "CALIBRATION", T(kCalibration), Switch),
    F(152, customColor, "CUSTOMCOLOR", T(kCustomColor), Switch),
    F(153, cmykC, "CMYK_C", nullptr, Number),
    F(154, cmykM, "CMYK_M", nullptr, Number),
    F(155, cmykY, "CMYK_Y", nullptr, Number),
    F(156, cmykK, "CMYK_K", nullptr, Number),
    F(0, paper, "PAPER", T(kPaperNames), PaperFlag),
    F(64, customWidth, "CUSTOMWIDTH", nullptr, CustomSize, FieldLimit::CustomWidth),
    F(65, customHeight, "CUSTOMHEIGHT", nullptr, WithOther, FieldLimit::CustomHeight),
    F(1, inTray1Size, "INTRAY1SIZE", T(kPaperNames), Keyword),
    F(2, copies, "COPIES", nullptr, Number, FieldLimit::Copies),
    F(3, orientation, "ORIENTATION", T(kOrientation), Keyword),
    F(4, mediaSource, "MEDIASOURCE", T(kPaperSource), Keyword),
    F(5, topMargin, "TOPMARGIN", nullptr, Margin, FieldLimit::TopMargin),
    F(6, leftMargin, "LEFTMARGIN", nullptr, Margin, FieldLimit::LeftMargin),
    F(95, dupTopMargin, "DUPTOPMARGIN", nullptr, DuplexMargin, FieldLimit::DuplexMargin),
    F(96, dupLeftMargin, "DUPLEFTMARGIN", nullptr, DuplexMargin, FieldLimit::DuplexMargin),
    F(7, duplex, "DUPLEX", T(kDuplex), Duplex),
    F(8, personality, "PERSONALITY", T(kPersonality), Emulation, FieldLimit::None, 1),
    F(77, epsonIbm, "EPSONIBM", T(kEpsonIbm), WithOther),
    F(11, powerSave, "POWERSAVE", T(kPowerSaveTime), PowerSave),
    F(12, autoCont, "AUTOCONT", T(kOnOff), Keyword),
    F(86, darkText, "DARKTEXT", T(kOnOff), Keyword),
    F(87, altitude, "ALTITUDE", T(c.altiPlain ? kAltitudePlain : kAltitudeStandard), Keyword),
    F(13, economode, "ECONOMODE", T(kOnOff), Keyword),
    F(14, jamRecovery, "JAMRECOVERY", T(c.kalor ? kJamRecoveryKalor : kOnOff), Keyword),
    F(18, timeout, "TIMEOUT", nullptr, Number, FieldLimit::Timeout),
    F(19, density, "DENSITY", nullptr, OddStep, FieldLimit::Density),
    F(20, paperType, "PAPERTYPE", T(c.cotton ? kPaperTypesCotton : kPaperTypesStandard), Keyword),
    F(92, tray1PaperType, "TRAY1PAPERTYPE", T(kPaperTypesStandard), Keyword),
    F(93, tray2PaperType, "TRAY2PAPERTYPE", T(kPaperTypesStandard), Keyword),
    F(94, tray3PaperType, "TRAY3PAPERTYPE", T(kPaperTypesStandard), Keyword),
    F(23, baudRate, "BAUDRATE", T(kBaudRates), Keyword),
    F(24, robust, "ROBUST", T(kOnOff), Keyword),
    // A typeface number changed on its own is a built-in typeface or a listing place, so the flash
    // flag (which the record gives after it) goes; the same number again changes nothing. A flash
    // pick sets both (PickTypeface).
    {30, 1, "FONTNUMBER", GET(fontNumber),
     +[](PrinterSettings& s, uint32_t v) {
         if (s.fontNumber == static_cast<uint8_t>(v)) return;
         s.fontNumber = static_cast<uint8_t>(v);
         s.pclPageValue = 0;
     },
     nullptr, SendAs::Font},
    F(31, symSet, "SYMSET", T(kSymbolSets), SymbolSet),
    F(32, formLines, "FORMLINES", nullptr, Number, FieldLimit::FormLines),
    F(33, pitch, "PITCH", nullptr, Hundredths, FieldLimit::Pitch),
    F(34, ptSize, "PTSIZE", nullptr, Quarters, FieldLimit::PointSize),
    F(35, hangulCode, "HANGULCODE", T(kHangulCodes), Keyword),
    F(126, ksMode, "KSMODE", nullptr, Number, FieldLimit::KoreanMode),
    F(36, ksFont, "FONT", T(kKoreanFonts), Keyword),
    F(37, ksZoom, "KSZOOM", nullptr, Number, FieldLimit::KoreanZoom),
    F(38, ksLpi, "KSLPI", nullptr, Number),
    F(39, ksPitch, "KSPITCH", T(kKoreanPitches), Keyword),
    F(40, kssmPitch, "KSSMPITCH", T(kKoreanPitches), Keyword),
    F(127, kssmMode, "KSSMMODE", nullptr, Number, FieldLimit::KoreanMode),
    F(41, autoWrap, "AUTOWRAP", T(kOnOff), Keyword),
    F(42, autoCr, "AUTOCR", T(kAutoCr), Keyword),
    F(53, resolution, "RESOLUTION", T(c.resolution.UploadTable()), Resolution),
    F(54, courier, "COURIER", T(kCourier), Keyword),
    F(55, smet, "SMET", T(kOnOff), Keyword),
    F(56, ksMargin, "KSMARGIN", nullptr, Number),
    F(57, kssmMargin, "KSSMMARGIN", nullptr, Number),
    F(58, kssmHangulCode, "KSSMHANGULCODE", T(kHangulCodes), Keyword),
    F(59, kssmFont, "KSSMFONT", T(kKoreanFonts), Keyword),
    F(60, kssmZoom, "KSSMZOOM", nullptr, Number, FieldLimit::KoreanZoom),
    F(61, kssmLpi, "KSSMLPI", nullptr, Number),
    F(62, kssmAutoWrap, "KSSMAUTOWRAP", T(kOnOff), Keyword),
    F(63, autoClean, "AUTOCLEAN", T(kOnOff), Keyword),
    F(100, wideA4, "WIDEA4", T(kOnOff), Keyword),
    F(17, ret, "RET", T(kImageEnhancement), Keyword),
    F(66, epsonFont, "EPSONFONT", T(kEpsonFonts), Keyword),
    F(68, epsonAutoWrap, "EPSONAUTOWRAP", T(kOnOff), Keyword),
    F(71, epsonCountry, "EPSONCOUNTRY", T(kEpsonCountries), Keyword),
    F(72, epsonTable, "EPSONTABLE", T(kEpsonTables), Keyword),
    F(73, epsonLpi, "EPSONLPI", T(kEpsonLpi), Keyword),
    F(74, epsonPitch, "EPSONPITCH", T(kEpsonPitches), Keyword),
    F(67, epsonFormLine, "EPSONFORMLINE", nullptr, Number, FieldLimit::EpsonFormLines),
    F(75, epsonTopMargin, "EPSONTMARGIN", nullptr, NegativeOffset),
    F(43, ksc5895PtSize, "KSC5895PTSIZE", nullptr, Quarters, FieldLimit::KoreanPointSize),
    F(45, ksc5895HangulCode, "KSC5895HANGULCODE", T(kHangulCodes), Keyword),
    W(46, 1, ksc5895Font, "KSC5895FONT", T(kKoreanFonts), Keyword), // one byte in a 2-byte member
    F(47, ksc5895Zoom, "KSC5895ZOOM", nullptr, Number, FieldLimit::KoreanZoom),
    F(44, ksc5895Lpi, "KSC5895LPI", T(kKs5895Lpi), Keyword),
    F(48, ksc5895AutoWrap, "KSC5895AUTOWRAP", T(kOnOff), Keyword),
    F(50, prtPsErrs, "PRTPSERRS", T(kOnOff), Keyword),

    // Reported and kept, never sent.
    F(9, kept9, "INDEX9", nullptr, Never),
    F(10, kept10, "INDEX10", nullptr, Never),
    F(15, kept15, "INDEX15", nullptr, Never),
    F(16, kept16, "INDEX16", nullptr, Never),
    F(22, kept22, "INDEX22", nullptr, Never),
    W(25, 1, kept25to29[0], "INDEX25", nullptr, Never),
    W(26, 1, kept25to29[1], "INDEX26", nullptr, Never),
    W(27, 1, kept25to29[2], "INDEX27", nullptr, Never),
    W(28, 1, kept25to29[3], "INDEX28", nullptr, Never),
    W(29, 1, kept25to29[4], "INDEX29", nullptr, Never),
    {51, 4, "", nullptr, nullptr, nullptr, SendAs::Never}, // four bytes the store has no member for
    F(52, kept52, "INDEX52", nullptr, Never),
    F(90, pclPageValue, "PCLPAGEVALUE", nullptr, Never), // FONTNUMBER's flash flag, set by a flash pick
    F(91, flashValue, "FLASHVALUE", nullptr, Never),     // the flash page's, changed there and never sent
    F(97, marginUnit, "MARGINUNIT", nullptr, Never),
    W(190, 4, kept190to194[0], "INDEX190", nullptr, Never),
    W(191, 4, kept190to194[1], "INDEX191", nullptr, Never),
    W(192, 4, kept190to194[2], "INDEX192", nullptr, Never),
    W(193, 4, kept190to194[3], "INDEX193", nullptr, Never),
    W(194, 4, kept190to194[4], "INDEX194", nullptr, Never),
    F(kFeatureFlagsIndex, featureFlags, "FEATUREFLAGS", nullptr, Never),
    F(199, kept199, "INDEX199", nullptr, Never),
};
#undef W
#undef F
#undef PUT
#undef GET
#undef T

const std::array<const SettingField*, 256>& ByIndex() {
    static const auto byIndex = [] {
        std::array<const SettingField*, 256> a{};
        for (const SettingField& f : kFields)
            a[f.index] = &f;
        return a;
    }();
    return byIndex;
}

} // namespace

TableChoice TableChoice::FromConfig(const AppContext& ctx) {
    TableChoice c;
    c.kalor = ctx.IsKalor();
    c.altiPlain = ctx.ConfigFlag("Config", "AltiPlain");
    c.cotton = ctx.ConfigFlag("JOB", "COTTON");
    c.resolution = ResolutionRules::FromConfig(ctx);
    return c;
}

std::span<const SettingField> SettingFields() {
    return kFields;
}

const SettingField* FieldAtIndex(uint8_t index) {
    return ByIndex()[index];
}

const std::vector<const SettingField*>& FieldsInRecordOrder() {
    static const auto fields = [] {
        std::vector<const SettingField*> v;
        for (const SettingField* f : ByIndex())
            if (f && f->get) v.push_back(f);
        return v;
    }();
    return fields;
}

const SettingField* FindField(std::string_view name) {
    for (const SettingField& f : kFields)
        if (f.get && f.name == name) return &f;
    return nullptr;
}

} // namespace tav
