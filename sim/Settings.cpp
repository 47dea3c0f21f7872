#include "Settings.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

#include "Ini.h"

namespace tavsim {

const std::vector<FieldDef>& SettingsFields() {
    static const std::vector<FieldDef> fields = {
        {0, 1, "PAPER"}, {1, 1, "INTRAY1SIZE"}, {2, 2, "COPIES"}, {3, 1, "ORIENTATION"}, {4, 1, "MEDIASOURCE"},
        {5, 1, "TOPMARGIN"}, {6, 1, "LEFTMARGIN"}, {7, 1, "DUPLEX"}, {8, 1, "PERSONALITY"}, {9, 1, "KEPT9"},
        {10, 1, "KEPT10"}, {11, 1, "POWERSAVE"}, {12, 1, "AUTOCONT"}, {13, 1, "ECONOMODE"},
        {14, 1, "JAMRECOVERY"}, {15, 1, "KEPT15"}, {16, 1, "KEPT16"}, {17, 1, "RET"}, {18, 2, "TIMEOUT"},
        {19, 1, "DENSITY"}, {20, 1, "PAPERTYPE"}, {22, 1, "KEPT22"}, {23, 1, "BAUDRATE"}, {24, 1, "ROBUST"},
        {25, 1, "KEPT25"}, {26, 1, "KEPT26"}, {27, 1, "KEPT27"}, {28, 1, "KEPT28"}, {29, 1, "KEPT29"},
        {30, 1, "FONTNUMBER"}, {31, 1, "SYMSET"}, {32, 1, "FORMLINES"}, {33, 2, "PITCH"}, {34, 2, "PTSIZE"},
        {35, 1, "HANGULCODE"}, {36, 1, "FONT"}, {37, 1, "KSZOOM"}, {38, 1, "KSLPI"}, {39, 1, "KSPITCH"},
        {40, 1, "KSSMPITCH"}, {41, 1, "AUTOWRAP"}, {42, 1, "AUTOCR"}, {43, 2, "KSC5895PTSIZE"},
        {44, 1, "KSC5895LPI"}, {45, 1, "KSC5895HANGULCODE"}, {46, 1, "KSC5895FONT"}, {47, 1, "KSC5895ZOOM"},
        {48, 1, "KSC5895AUTOWRAP"}, {50, 1, "PRTPSERRS"}, {51, 4, "FIELD51"}, {52, 1, "KEPT52"},
        {53, 1, "RESOLUTION"}, {54, 1, "COURIER"}, {55, 1, "SMET"}, {56, 1, "KSMARGIN"}, {57, 1, "KSSMMARGIN"},
        {58, 1, "KSSMHANGULCODE"}, {59, 1, "KSSMFONT"}, {60, 1, "KSSMZOOM"}, {61, 1, "KSSMLPI"},
        {62, 1, "KSSMAUTOWRAP"}, {63, 1, "AUTOCLEAN"}, {64, 2, "CUSTOMWIDTH"}, {65, 2, "CUSTOMHEIGHT"},
        {66, 1, "EPSONFONT"}, {67, 1, "EPSONFORMLINE"}, {68, 1, "EPSONAUTOWRAP"}, {71, 1, "EPSONCOUNTRY"},
        {72, 1, "EPSONTABLE"}, {73, 1, "EPSONLPI"}, {74, 1, "EPSONPITCH"}, {75, 1, "EPSONTMARGIN"},
        {77, 1, "EPSONIBM"}, {86, 1, "DARKTEXT"}, {87, 1, "ALTITUDE"}, {90, 1, "PCLPAGE"}, {91, 2, "FLASHMACRO"},
        {92, 1, "TRAY1PAPERTYPE"}, {93, 1, "TRAY2PAPERTYPE"}, {94, 1, "TRAY3PAPERTYPE"},
        {95, 1, "DUPTOPMARGIN"}, {96, 1, "DUPLEFTMARGIN"}, {97, 1, "MARGINUNIT"}, {100, 1, "WIDEA4"},
        {126, 1, "KSMODE"}, {127, 1, "KSSMMODE"}, {151, 1, "CALIBRATION"}, {152, 1, "CUSTOMCOLOR"},
        {153, 1, "CMYK_C"}, {154, 1, "CMYK_M"}, {155, 1, "CMYK_Y"}, {156, 1, "CMYK_K"}, {190, 4, "KEPT190"},
        {191, 4, "KEPT191"}, {192, 4, "KEPT192"}, {193, 4, "KEPT193"}, {194, 4, "KEPT194"},
        {198, 4, "FEATUREFLAGS"}, {199, 4, "KEPT199"},
    };
    return fields;
}

const FieldDef* FindField(uint8_t index) {
    for (const auto& f : SettingsFields())
        if (f.index == index) return &f;
    return nullptr;
}

const FieldDef* FindField(std::string_view name) {
    for (const auto& f : SettingsFields())
        if (EqualNoCase(f.name, name)) return &f;
    return nullptr;
}

std::vector<uint8_t> EncodeRecord(const SettingsState& s) {
    std::vector<uint8_t> body;
    for (int index = 0; index < 200; ++index) {
        const RawEntry* raw = nullptr;
        for (const auto& r : s.raw)
            if (r.index == index) raw = &r;
        if (raw) {
            body.push_back(uint8_t(index));
            body.insert(body.end(), raw->bytes.begin(), raw->bytes.end());
            continue;
        }
        const FieldDef* f = FindField(uint8_t(index));
        if (!f || s.omitted.test(size_t(index))) continue;
        body.push_back(f->index);
        body.push_back(f->width);
        for (int b = f->width - 1; b >= 0; --b) body.push_back(uint8_t(s.value[f->index] >> (8 * b)));
    }
    if (s.endIndex > 0) {
        body.push_back(uint8_t(s.endIndex));
        body.push_back(0);
    }
    std::vector<uint8_t> out;
    out.reserve(3 + body.size());
    out.push_back(0x01);
    out.push_back(uint8_t(body.size() >> 8));
    out.push_back(uint8_t(body.size()));
    for (uint8_t b : body) out.push_back(b);
    return out;
}

int TableIndex(const std::vector<std::string>& table, std::string_view name) {
    std::string wanted = Trim(name);
    for (size_t i = 0; i < table.size(); ++i)
        if (EqualNoCase(Trim(table[i]), wanted)) return int(i);
    return -1;
}

namespace {

using Table = std::vector<std::string>;

const Table kPaper = {"LETTER", "LEGAL", "A4", "JISB5", "B5", "EXECUTIVE", "COM10", "MONARCH",
                      "DL", "C5", "FOLIO", "A5", "C6", "A6", "OFICIO", "CUSTOM",
                      "STATEMENT", "POST", "INDEXCARD", "JISB6", "SIZE6N34", "SIZE9", "CHECK"};
const Table kOrientation = {"PORTRAIT", "LANDSCAPE"};
const Table kSource = {"AUTO", "FIRST", "TRAY1", "TRAY3", "TRAY4", "MANUAL", "TRAY2"};
const Table kOnOff = {"OFF", "ON"};
const Table kPersonality = {"AUTO", "PCL", "LJIIP", "SMART", "SMART", "KSC5843",
                            "KSSM", "KSC5895", "HWP", "PCLXL", "POSTSCRIPT", "HEXDUMP"};
const Table kPowerSaveTime = {"OFF", "5", "10", "15", "30", "45", "60", "120", "240"};
const Table kAltitudeStandard = {"LOW", "HIGH"};
const Table kAltitudePlain = {"PLAIN", "HIGH", "HIGHER", "HIGHEST"};
const Table kJamKalor = {"FAST", "FULL", "OFF"};
const Table kPaperTypeStandard = {"OFF", "NORMAL", "THICK", "THIN", "BOND", "COLOR", "CARD", "LABEL",
                                  "OHP", "ENV", "USED", "LETTERHEAD", "SPECIAL", "CHECK", "3MDECAL"};
const Table kPaperTypeCotton = {"OFF", "NORMAL", "THICK", "THIN", "BOND", "COLOR", "CARD", "LABEL",
                                "OHP", "ENV", "USED", "COTTON", "RECYCLED", "CHECK", "3MDECAL"};
const Table kBaud = {"300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
const Table kSymSet = {"ROMAN8", "DESKTOP", "ISOL1", "ISOL2", "ISOL5", "ISOL6", "MCTEXT", "MATH8",
                       "MSPUBL", "PIFONT", "PSMATH", "PSTEXT", "VNINTL", "VNMATH", "VNUS", "WIN30",
                       "WINL1", "WINL2", "WINL5", "WINBALT", "SYMBOL", "WINGDING", "LEGAL", "ISO4",
                       "ISO6", "ISO11", "ISO15", "ISO17", "ISO21", "ISO60", "ISO69", "PC775",
                       "PC1004", "PC8", "PC8DN", "PC850", "PC852", "PC8TK", "CYRILLIC", "PCCYRILLIC",
                       "15Q", "8H", "0H", "GREEK", "ARABIC8", "WINARABIC", "PC864", "FARSI",
                       "ISOARABIC", "PC737"};
const Table kHangul = {"WANSUNG", "JOHAP"};
const Table kKoreanFont = {"MYUNGJO", "GOTHIC", "GUNGSEO", "GULLIM", "SAMMOOL", "YETCHE",
                           "POST", "NEWGRAPH", "SUNMYUNGJO", "PILGI", "HEADLINE", "OCRB"};
const Table kKoreanPitch = {"10", "12", "13.3", "15", "20", "24", "26.7", "30"};
const Table kKs5895Lpi = {"1", "2", "3", "4", "5", "6", "8", "12", "16", "24", "48", "60"};
const Table kAutoCr = {"LF", "CRLF"};
const Table kResolutionFull = {"300", "600", "1200", "DRAFT"};
const Table kResolutionShort = {"600", "1200", "DRAFT"};
const Table kCourier = {"REGULAR", "DARK"};
const Table kRet = {"ENHANCE", "NORMAL", "GRAY+", "GRAY"};
const Table kEpsonFont = {"SANSERIF", "ROMAN"};
const Table kEpsonCountry = {"USA", "FRANCE", "GERMANY", "UK", "DENMARK1", "SWEDEN", "ITALY",
                             "SPAIN1", "JAPAN", "NORWAY", "DENMARK2", "SPAIN2", "LATIN"};
const Table kEpsonTable = {"ITALIC", "PC437US", "PC850", "HEBREWOLD", "HEBREWNEW"};
const Table kEpsonLpi = {"6", "8"};
const Table kEpsonPitch = {"10", "10.3", "12", "17.14", "20"};
const Table kCalibration = {"OFF", "AUTO"};
const Table kCustomColor = {"DEFAULT", "CMYK"};

struct Ctx {
    SettingsState& s;
    const ModelOptions& model;
    const std::vector<FlashFont>& fonts;
};

// A handler returns an empty text when it applied the value, else why it did not.
using Handler = std::function<std::string(Ctx&, const std::string&)>;

bool ParseInt(const std::string& v, long& out) {
    if (v.empty()) return false;
    char* end = nullptr;
    out = std::strtol(v.c_str(), &end, 10);
    return end && *end == '\0';
}

bool ParseDecimal(const std::string& v, double& out) {
    if (v.empty()) return false;
    for (char c : v)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+')) return false;
    char* end = nullptr;
    out = std::strtod(v.c_str(), &end);
    return end && *end == '\0' && std::isfinite(out);
}

std::string Store(Ctx& c, uint8_t index, long v) {
    const FieldDef* f = FindField(index);
    long max = f->width >= 4 ? 0x7fffffffL : (1L << (8 * f->width)) - 1;
    if (v < 0 || v > max) return "value out of range";
    c.s.value[index] = uint32_t(v);
    return {};
}

// The first table that knows the name decides; a name listed twice (SMART) keeps the current
// position when that one already carries it.
std::string StoreEnum(Ctx& c, uint8_t index, const std::vector<const Table*>& tables, const std::string& v) {
    for (const Table* t : tables) {
        uint32_t cur = c.s.value[index];
        if (cur < t->size() && EqualNoCase(Trim((*t)[cur]), v)) return {};
        int i = TableIndex(*t, v);
        if (i >= 0) return Store(c, index, i);
    }
    return "unknown value";
}

Handler Enum(uint8_t index, const Table& t) {
    return [index, &t](Ctx& c, const std::string& v) { return StoreEnum(c, index, {&t}, v); };
}

Handler Enum2(uint8_t index, const Table& a, const Table& b) {
    return [index, &a, &b](Ctx& c, const std::string& v) { return StoreEnum(c, index, {&a, &b}, v); };
}

Handler Int(uint8_t index, long lo, long hi) {
    return [index, lo, hi](Ctx& c, const std::string& v) -> std::string {
        long n;
        if (!ParseInt(v, n)) return "not a whole number";
        if (n < lo || n > hi) return "value out of range";
        return Store(c, index, n);
    };
}

Handler Scaled(uint8_t index, double scale) {
    return [index, scale](Ctx& c, const std::string& v) -> std::string {
        double d;
        if (!ParseDecimal(v, d)) return "not a number";
        return Store(c, index, std::lround(d * scale));
    };
}

// Margins follow the margin-unit field: tenths of an inch (duplex hundredths) when it is set,
// else whole millimetres (duplex tenths).
Handler Margin(uint8_t index, bool duplex) {
    return [index, duplex](Ctx& c, const std::string& v) -> std::string {
        bool inches = c.s.value[97] != 0;
        if (!duplex && !inches) {
            long n;
            if (!ParseInt(v, n)) return "not a whole number";
            return Store(c, index, n);
        }
        double d;
        if (!ParseDecimal(v, d)) return "not a number";
        return Store(c, index, std::lround(d * (duplex && inches ? 100.0 : 10.0)));
    };
}

std::string Paper(Ctx& c, const std::string& v) {
    std::string up = Upper(v);
    if (up.rfind("OTHERS", 0) != 0) return StoreEnum(c, 0, {&kPaper}, v);
    // "OTHERS WIDTH =210 HEIGHT=297": blanks around '=' vary, so look for the numbers by name.
    auto number = [&](const char* name, long& out) {
        size_t p = up.find(name);
        if (p == std::string::npos) return false;
        p = up.find('=', p);
        if (p == std::string::npos) return false;
        std::string rest = Trim(up.substr(p + 1));
        size_t end = 0;
        while (end < rest.size() && std::isdigit(static_cast<unsigned char>(rest[end]))) ++end;
        return end > 0 && ParseInt(rest.substr(0, end), out);
    };
    long w, h;
    if (!number("WIDTH", w) || !number("HEIGHT", h)) return "custom size without WIDTH and HEIGHT";
    if (w <= 0 || w > 0xffff || h <= 0 || h > 0xffff) return "value out of range";
    c.s.value[64] = uint32_t(w);
    c.s.value[65] = uint32_t(h);
    c.s.value[0] = uint32_t(TableIndex(kPaper, "CUSTOM"));
    return {};
}

const std::map<std::string, Handler>& DefaultTable() {
    static const std::map<std::string, Handler> table = {
        {"CALIBRATION", Enum(151, kCalibration)},
        {"CUSTOMCOLOR", Enum(152, kCustomColor)},
        {"CMYK_C", Int(153, 0, 255)},
        {"CMYK_M", Int(154, 0, 255)},
        {"CMYK_Y", Int(155, 0, 255)},
        {"CMYK_K", Int(156, 0, 255)},
        {"PAPER", Paper},
        {"INTRAY1SIZE", Enum(1, kPaper)},
        {"COPIES", Int(2, 1, 999)},
        {"ORIENTATION", Enum(3, kOrientation)},
        {"MEDIASOURCE", Enum(4, kSource)},
        {"TOPMARGIN", Margin(5, false)},
        {"LEFTMARGIN", Margin(6, false)},
        {"DUPTOPMARGIN", Margin(95, true)},
        {"DUPLEFTMARGIN", Margin(96, true)},
        {"DUPLEX",
         [](Ctx& c, const std::string& v) -> std::string {
             int i = TableIndex(kOnOff, v);
             if (i < 0) return "unknown value";
             c.s.value[7] = i ? c.s.binding : 0;
             return {};
         }},
        {"BINDING",
         [](Ctx& c, const std::string& v) -> std::string {
             if (EqualNoCase(v, "LONGEDGE")) c.s.binding = 1;
             else if (EqualNoCase(v, "SHORTEDGE")) c.s.binding = 2;
             else return "unknown value";
             if (c.s.value[7] != 0) c.s.value[7] = c.s.binding;
             return {};
         }},
        {"PERSONALITY",
         [](Ctx& c, const std::string& v) -> std::string {
             if (EqualNoCase(v, "EPSON") || EqualNoCase(v, "IBM")) {
                 c.s.value[8] = 12;
                 c.s.value[77] = EqualNoCase(v, "IBM") ? 1 : 0;
                 return {};
             }
             return StoreEnum(c, 8, {&kPersonality}, v);
         }},
        {"POWERSAVE",
         [](Ctx& c, const std::string& v) -> std::string {
             int i = TableIndex(kOnOff, v);
             if (i < 0) return "unknown value";
             c.s.value[11] = i ? c.s.powerSaveTime : 0;
             return {};
         }},
        {"POWERSAVETIME",
         [](Ctx& c, const std::string& v) -> std::string {
             int i = TableIndex(kPowerSaveTime, v);
             if (i <= 0) return "unknown value";
             c.s.powerSaveTime = uint8_t(i);
             if (c.s.value[11] != 0) c.s.value[11] = uint32_t(i);
             return {};
         }},
        {"AUTOCONT", Enum(12, kOnOff)},
        {"DARKTEXT", Enum(86, kOnOff)},
        {"ALTITUDE", Enum2(87, kAltitudeStandard, kAltitudePlain)},
        {"ECONOMODE", Enum(13, kOnOff)},
        {"JAMRECOVERY",
         [](Ctx& c, const std::string& v) {
             return StoreEnum(c, 14, {c.model.kalorJamRecovery ? &kJamKalor : &kOnOff}, v);
         }},
        {"TIMEOUT", Int(18, 5, 300)},
        {"DENSITY",
         [](Ctx& c, const std::string& v) -> std::string {
             long n;
             if (!ParseInt(v, n)) return "not a whole number";
             if (n < 1 || n % 2 == 0) return "value out of range";
             return Store(c, 19, (n - 1) / 2);
         }},
        {"PAPERTYPE", Enum2(20, kPaperTypeStandard, kPaperTypeCotton)},
        {"TRAY1PAPERTYPE", Enum(92, kPaperTypeStandard)},
        {"TRAY2PAPERTYPE", Enum(93, kPaperTypeStandard)},
        {"TRAY3PAPERTYPE", Enum(94, kPaperTypeStandard)},
        {"BAUDRATE", Enum(23, kBaud)},
        {"ROBUST", Enum(24, kOnOff)},
        {"FONTSOURCE",
         [](Ctx& c, const std::string& v) -> std::string {
             if (EqualNoCase(v, "RFONT")) c.s.flashFontSource = false;
             else if (EqualNoCase(v, "FFONT")) c.s.flashFontSource = true;
             else return "unknown value";
             return {};
         }},
        {"FONTNUMBER",
         [](Ctx& c, const std::string& v) -> std::string {
             long n;
             if (!ParseInt(v, n) || n < 0) return "not a whole number";
             if (!c.s.flashFontSource) {
                 if (n >= long(c.model.residentFonts)) return "no such resident font";
                 return Store(c, 30, n);
             }
             for (size_t i = 0; i < c.fonts.size(); ++i)
                 if (c.fonts[i].number == n) return Store(c, 30, long(c.model.residentFonts + i));
             return "no such flash font";
         }},
        {"SYMSET", Enum(31, kSymSet)},
        {"FORMLINES", Int(32, 5, 128)},
        {"PITCH", Scaled(33, 100.0)},
        {"PTSIZE", Scaled(34, 4.0)},
        {"HANGULCODE", Enum(35, kHangul)},
        {"KSMODE", Int(126, 0, 255)},
        {"FONT", Enum(36, kKoreanFont)},
        {"KSZOOM", Int(37, 0, 255)},
        {"KSLPI", Int(38, 0, 255)},
        {"KSPITCH", Enum(39, kKoreanPitch)},
        {"KSSMPITCH", Enum(40, kKoreanPitch)},
        {"KSSMMODE", Int(127, 0, 255)},
        {"AUTOWRAP", Enum(41, kOnOff)},
        {"AUTOCR", Enum(42, kAutoCr)},
        {"RESOLUTION",
         [](Ctx& c, const std::string& v) -> std::string {
             // A model without 300 dpi refuses that word but still reports the full code, so
             // the panel's short list (one below the code) lines up with what it reads back.
             if (c.model.resolution == ResolutionNames::Short &&
                 TableIndex(kResolutionShort, v) < 0)
                 return "not a value of this model";
             return StoreEnum(c, 53, {&kResolutionFull}, v);
         }},
        {"IMAGEQUALITY",
         [](Ctx& c, const std::string& v) -> std::string {
             if (c.model.resolution != ResolutionNames::Best) return "not supported by this model";
             long n;
             if (!ParseInt(v, n) || n < 0 || n > 1) return "unknown value";
             // The best-quality switch exists only at 600 dpi, which it shares position 0/1 with.
             if (c.s.value[53] > 1) return "resolution is not 600";
             return Store(c, 53, n);
         }},
        {"COURIER", Enum(54, kCourier)},
        {"SMET", Enum(55, kOnOff)},
        {"KSMARGIN", Int(56, 0, 255)},
        {"KSSMMARGIN", Int(57, 0, 255)},
        {"KSSMHANGULCODE", Enum(58, kHangul)},
        {"KSSMFONT", Enum(59, kKoreanFont)},
        {"KSSMZOOM", Int(60, 0, 255)},
        {"KSSMLPI", Int(61, 0, 255)},
        {"KSSMAUTOWRAP", Enum(62, kOnOff)},
        {"AUTOCLEAN", Enum(63, kOnOff)},
        {"WIDEA4", Enum(100, kOnOff)},
        {"RET", Enum(17, kRet)},
        {"EPSONFONT", Enum(66, kEpsonFont)},
        {"EPSONAUTOWRAP", Enum(68, kOnOff)},
        {"EPSONCOUNTRY", Enum(71, kEpsonCountry)},
        {"EPSONTABLE", Enum(72, kEpsonTable)},
        {"EPSONLPI", Enum(73, kEpsonLpi)},
        {"EPSONPITCH", Enum(74, kEpsonPitch)},
        {"EPSONFORMLINE", Int(67, 0, 255)},
        {"EPSONTMARGIN",
         [](Ctx& c, const std::string& v) -> std::string {
             // The margin is sent negative (0 stays 0); a positive number is not this printer's spelling.
             long n;
             if (!ParseInt(v, n) || n > 0) return "unknown value";
             return Store(c, 75, -n);
         }},
        {"KSC5895PTSIZE", Scaled(43, 4.0)},
        {"KSC5895HANGULCODE", Enum(45, kHangul)},
        {"KSC5895FONT", Enum(46, kKoreanFont)},
        {"KSC5895ZOOM", Int(47, 0, 255)},
        {"KSC5895LPI", Enum(44, kKs5895Lpi)},
        {"KSC5895AUTOWRAP", Enum(48, kOnOff)},
        {"PRTPSERRS", Enum(50, kOnOff)},
    };
    return table;
}

// Fields each variable writes, so a model that does not report them refuses the variable.
uint8_t PrimaryField(const std::string& var) {
    static const std::map<std::string, uint8_t> fields = {
        {"DUPLEX", 7}, {"BINDING", 7}, {"POWERSAVE", 11}, {"POWERSAVETIME", 11}, {"FONTSOURCE", 30},
        {"IMAGEQUALITY", 53}, {"PAPER", 0}};
    auto it = fields.find(var);
    if (it != fields.end()) return it->second;
    const FieldDef* f = FindField(var);
    return f ? f->index : 0;
}

}  // namespace

DefaultResult ApplyDefault(SettingsState& s, const ModelOptions& model, const std::vector<FlashFont>& fonts,
                           std::string_view text) {
    DefaultResult r;
    std::string t = Trim(text);
    // An optional personality prefix ("LPARM:PCL SYMSET = ...") names where the variable lives.
    if (t.size() > 6 && EqualNoCase(t.substr(0, 6), "LPARM:")) {
        size_t sp = t.find(' ');
        t = sp == std::string::npos ? std::string() : Trim(t.substr(sp + 1));
    }
    size_t i = 0;
    while (i < t.size() && t[i] != '=' && !std::isspace(static_cast<unsigned char>(t[i]))) ++i;
    r.variable = Upper(t.substr(0, i));
    while (i < t.size() && std::isspace(static_cast<unsigned char>(t[i]))) ++i;
    if (i >= t.size() || t[i] != '=') {
        r.note = "no '=' after the variable";
        return r;
    }
    ++i;
    // "WIDEA4= = ON": the doubled '=' is how the panel spells this one variable; take the value after it.
    size_t j = i;
    while (j < t.size() && std::isspace(static_cast<unsigned char>(t[j]))) ++j;
    if (j < t.size() && t[j] == '=') i = j + 1;
    r.value = Trim(t.substr(i));
    if (r.variable.empty()) {
        r.note = "no variable";
        return r;
    }
    const auto& table = DefaultTable();
    auto it = table.find(r.variable);
    if (it == table.end()) {
        r.note = "unknown variable";
        return r;
    }
    if (s.omitted.test(PrimaryField(r.variable))) {
        r.note = "not supported by this model";
        return r;
    }
    Ctx c{s, model, fonts};
    r.note = it->second(c, r.value);
    r.applied = r.note.empty();
    return r;
}

}  // namespace tavsim
