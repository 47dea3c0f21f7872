#include "pages/KoreanRules.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>

namespace tav {
namespace {

using PS = PrinterSettings;

// Up/down bars carry no value of their own: a step works on the edit's text.
std::optional<double> Stepped(double value, int code, double step, double lo, double hi) {
    if (code == kScrollLineUp) {
        value += step;
        return value > hi ? lo : value;
    }
    if (code == kScrollLineDown) {
        value -= step;
        return value < lo ? hi : value;
    }
    if (code > kScrollLineDown && code <= kScrollEnd) return value;
    return std::nullopt;
}

std::string Fixed2(double value) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 2);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

// Quarter points of a value in range; the small margin keeps 10.3 from truncating below 41 on
// a value whose decimal text is not exact in binary.
uint16_t Quarters(double value) {
    return static_cast<uint16_t>(value * 4.0 + 1e-9);
}

} // namespace

const KoreanPageLayout& Ks5843Layout() {
    static const KoreanPageLayout desc = {
        "CKs5843Tab",
        5019,
        "KS5843",
        "KSFONT",
        0x100000,
        {8036, 6045, "IDL_KSCPI", &PS::ksPitch},
        {8045, 6046, "IDL_KSLPI", &PS::ksLpi},
        KoreanLpi::Offset,
        {8049, 6047, "IDL_KSGULGOL", &PS::ksFont},
        nullptr,
        {8055, 0, "IDC_KSAUTOCONTINUE", &PS::autoWrap},
        {8062, 6049, "IDL_KSUPMARGIN", &PS::ksMargin},
        {8068, 6050, "IDL_KSCODE", &PS::hangulCode},
        {8073, 6051, "IDL_KSZOOM", &PS::ksZoom},
        8117,
        {8122, 6048, "IDL_KSMODE", &PS::ksMode},
        {},
        nullptr,
        0,
        {8078, 0, "IDC_KSFONTLIST", nullptr},
        true,
    };
    return desc;
}

const KoreanPageLayout& KssmLayout() {
    static const KoreanPageLayout desc = {
        "CPsTab",
        5023,
        "KSSM",
        "KSSMFONT",
        0x200000,
        {8083, 6057, "IDL_KSSMCPI", &PS::kssmPitch},
        {8085, 6058, "IDL_KSSMLPI", &PS::kssmLpi},
        KoreanLpi::Offset,
        {8087, 6059, "IDL_KSSMGULGOL", &PS::kssmFont},
        nullptr,
        {8089, 0, "IDC_KSSMAUTOCONTINUE", &PS::kssmAutoWrap},
        {8069, 6061, "IDL_KSSMUPMARGIN", &PS::kssmMargin},
        {8074, 6062, "IDL_KSSMCODE", &PS::kssmHangulCode},
        {8077, 6063, "IDL_KSSMZOOM", &PS::kssmZoom},
        8118,
        {8123, 6060, "IDL_KSSMMODE", &PS::kssmMode},
        {},
        nullptr,
        0,
        {8063, 0, "IDC_KSSMFONTLIST", nullptr},
        false,
    };
    return desc;
}

const KoreanPageLayout& Ks5895Layout() {
    static const KoreanPageLayout desc = {
        "CKs5895Tab",
        5000,
        "KS5895",
        "KSC5895FONT",
        0x400000,
        {},
        {8100, 6052, "IDL_KS5895LPI", &PS::ksc5895Lpi},
        KoreanLpi::Table,
        {8101, 6053, "IDL_KS5895GULGOL", nullptr},
        &PS::ksc5895Font,
        {8108, 0, "IDC_KS5895AUTOCONTINUE", &PS::ksc5895AutoWrap},
        {},
        {8104, 6054, "IDL_KS5895CODE", &PS::ksc5895HangulCode},
        {8106, 6055, "IDL_KS5895ZOOM", &PS::ksc5895Zoom},
        8115,
        {},
        {8110, 6056, "IDL_KS5895POINTSIZE", nullptr},
        &PS::ksc5895PtSize,
        8109,
        {8107, 0, "IDC_KS5895FONTLIST", nullptr},
        false,
    };
    return desc;
}

std::vector<std::string> KoreanPitchItems(bool trailingBlanks) {
    if (trailingBlanks) return {"10 ", "12 ", "13.3 ", "15", "20", "24", "26.7", "30"};
    return {"10", "12", "13.3", "15", "20", "24", "26.7", "30"};
}

std::vector<std::string> KoreanLpiItems(KoreanLpi kind) {
    if (kind == KoreanLpi::Table) return {"1", "2", "3", "4", "5", "6", "8", "12", "16", "24", "48", "60"};
    return {"5", "6", "7", "8", "9", "10"};
}

std::vector<std::string> KoreanMarginItems() {
    return {"0", "-1", "-2", "-3", "-4", "-5", "-6", "-7", "-8"};
}

int KsLpiPosition(uint8_t value) {
    return value >= 5 && value <= 10 ? value - 5 : 1;
}

uint8_t KsLpiValue(int position) {
    return position >= 0 && position <= 5 ? static_cast<uint8_t>(position + 5) : 6;
}

int LeadingInt(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        v = std::min<long long>(v * 10 + (text[i] - '0'), INT_MAX);
    return static_cast<int>(negative ? -v : v);
}

uint8_t ClampKsZoom(int value) {
    return static_cast<uint8_t>(std::clamp(value, kKsZoomMin, kKsZoomMax));
}

uint8_t ClampKsMode(int value) {
    // The edit takes any character: a typed minus must not wrap into a large mode.
    return static_cast<uint8_t>(std::clamp(value, 0, kKsModeMax));
}

std::optional<uint8_t> KsZoomScroll(const std::string& text, int code) {
    const auto v = Stepped(ClampKsZoom(LeadingInt(text)), code, 1, kKsZoomMin, kKsZoomMax);
    if (!v) return std::nullopt;
    return static_cast<uint8_t>(*v);
}

std::string PtSizeText(uint16_t quarters) {
    std::string t = Fixed2(quarters * 0.25);
    return t.size() < 5 ? std::string(5 - t.size(), ' ') + t : t;
}

double LeadingDecimal(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    double v = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        v = v * 10 + (text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, scale /= 10)
            v += (text[i] - '0') * scale;
    }
    return negative ? -v : v;
}

PtSizeEntry PtSizeFromText(const std::string& text) {
    const double v = LeadingDecimal(text);
    if (v > kPtSizeMaxQuarters / 4.0) return {kPtSizeMaxQuarters, "99.75"};
    if (v < kPtSizeMinQuarters / 4.0) return {kPtSizeMinQuarters, "4.00"};
    return {Quarters(v), std::nullopt};
}

std::optional<PtSizeStep> PtSizeScroll(const std::string& text, int code) {
    const double lo = kPtSizeMinQuarters / 4.0, hi = kPtSizeMaxQuarters / 4.0;
    // From the quarter the field holds for the text ("10.3" holds 10.25), and showing what it
    // stores: the text never names a size the printer is not sent.
    const double held = Quarters(std::clamp(LeadingDecimal(text), lo, hi)) / 4.0;
    const auto v = Stepped(held, code, 0.25, lo, hi);
    if (!v) return std::nullopt;
    const uint16_t quarters = Quarters(*v);
    return PtSizeStep{quarters, Fixed2(quarters / 4.0)};
}

} // namespace tav
