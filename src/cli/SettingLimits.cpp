#include "cli/SettingLimits.h"

#include <cmath>
#include <cstdio>

#include "pages/EpsonRules.h"
#include "pages/JobRules.h"
#include "pages/KoreanRules.h"
#include "pages/PaperModel.h"
#include "pages/PclRules.h"
#include "pages/PrintingRules.h"

namespace tav::cli {
namespace {

std::string Scaled(uint32_t v, double scale, int decimals) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v * scale);
    return buf;
}

SettingRange Plain(uint32_t lo, uint32_t hi, const std::string& unit = "") {
    return {lo, hi, std::to_string(lo) + " to " + std::to_string(hi) + unit};
}

SettingRange ScaledRange(uint32_t lo, uint32_t hi, double scale, int decimals, const std::string& unit) {
    return {lo, hi,
            std::to_string(lo) + " to " + std::to_string(hi) + " (" + Scaled(lo, scale, decimals) + " to " +
                Scaled(hi, scale, decimals) + " " + unit + ")"};
}

} // namespace

std::optional<SettingRange> RangeOf(const SettingField& f, const PrinterSettings& ed, const AppContext& ctx) {
    const bool inch = ed.marginUnit != 0;
    switch (f.limit) {
    case FieldLimit::None: break;
    case FieldLimit::Copies: return Plain(kCopiesMin, kCopiesMax);
    case FieldLimit::TopMargin:
    case FieldLimit::LeftMargin: {
        const MarginLimits m = MarginLimitsForPaper(ed.paper, inch, ed.orientation);
        const double limit = f.limit == FieldLimit::TopMargin ? m.top : m.left;
        if (inch) return ScaledRange(0, static_cast<uint32_t>(std::lround(limit * 10)), 0.1, 1, "inch");
        return Plain(0, static_cast<uint32_t>(std::lround(limit)), " mm");
    }
    case FieldLimit::DuplexMargin:
        return inch ? ScaledRange(0, DuplexMarginMax(true), 0.01, 2, "inch")
                    : ScaledRange(0, DuplexMarginMax(false), 0.1, 1, "mm");
    case FieldLimit::CustomWidth:
    case FieldLimit::CustomHeight: {
        const CustomSizeLimits l = ReadCustomSizeLimits(ctx);
        return f.limit == FieldLimit::CustomWidth
                   ? Plain(static_cast<uint32_t>(l.shortMin), static_cast<uint32_t>(l.shortMax), " mm")
                   : Plain(static_cast<uint32_t>(l.longMin), static_cast<uint32_t>(l.longMax), " mm");
    }
    case FieldLimit::Density: return Plain(0, kDensityLevels - 1);
    case FieldLimit::Pitch: return ScaledRange(kPitchMin, kPitchMax, 0.01, 2, "characters per inch");
    case FieldLimit::PointSize: return ScaledRange(kPointMin, PointMax(ctx.IsKalor()), 0.25, 2, "points");
    case FieldLimit::KoreanPointSize:
        return ScaledRange(kPtSizeMinQuarters, kPtSizeMaxQuarters, 0.25, 2, "points");
    case FieldLimit::Timeout: return Plain(0, static_cast<uint32_t>(TimeoutLimit(ctx)), " seconds");
    case FieldLimit::FormLines: return Plain(kLinesMin, kLinesMax, " lines");
    case FieldLimit::EpsonFormLines: return Plain(0, kEpsonFormLinesMax, " lines");
    case FieldLimit::KoreanZoom: return Plain(kKsZoomMin, kKsZoomMax, " %");
    case FieldLimit::KoreanMode: return Plain(0, kKsModeMax);
    }
    return std::nullopt;
}

std::string LimitProblem(const SettingField& f, uint32_t value, const PrinterSettings& ed,
                         const AppContext& ctx) {
    const auto range = RangeOf(f, ed, ctx);
    if (!range || (value >= range->min && value <= range->max)) return "";
    return std::string(f.name) + " takes " + range->shown + ", not " + std::to_string(value);
}

} // namespace tav::cli
