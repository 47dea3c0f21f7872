// The ranges tavctl holds a value to before it is sent: each field's limit of the field table,
// with the numbers the pages clamp with.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "cli/SettingNames.h"

namespace tav::cli {

struct SettingRange {
    uint32_t min = 0;
    uint32_t max = 0;
    std::string shown; // the range in the unit the printer prints, e.g. "0.44 to 99.99 characters per inch"
};

// The range of a numeric field in the stored numbers, given the settings it would be sent with
// (the margins depend on the paper, its orientation and the margin unit); nothing for a field the
// pages do not limit.
std::optional<SettingRange> RangeOf(const SettingField& field, const PrinterSettings& edited,
                                    const AppContext& ctx);

// Why value is refused for field ("COPIES takes 1 to 999, not 0"), or "" when it is within range.
std::string LimitProblem(const SettingField& field, uint32_t value, const PrinterSettings& edited,
                         const AppContext& ctx);

} // namespace tav::cli
