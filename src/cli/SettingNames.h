// tavctl's names for the settings: the PJL variable the upload sends a field as, or a name of
// our own for the fields that are not sent; and the values each field accepts.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pjl/AppContext.h"
#include "pjl/Resolution.h"
#include "pjl/UploadTables.h"

namespace tav::cli {

// The model switches that choose a field's table, read once from the configuration file.
struct TableChoice {
    bool kalor = false;
    bool altiPlain = false;  // Config/AltiPlain
    bool cotton = false;     // JOB/COTTON
    ResolutionRules resolution;
    static TableChoice FromConfig(const AppContext& ctx);
};

struct SettingName {
    std::string_view name;
    uint8_t index;    // record index; the order of the query listing
    unsigned width;   // bytes the field holds
    uint32_t (*get)(const PrinterSettings&);
    void (*set)(PrinterSettings&, uint32_t);    // null: read only
    KeywordTable (*table)(const TableChoice&);  // null: a plain number
    uint32_t extra = 0;  // numbers past the table that the field still takes (PERSONALITY 12)
};

const std::vector<SettingName>& SettingNames();
const SettingName* FindSetting(std::string_view name);  // exact, upper case

// One NAME=VALUE of the command line, checked against the field's table and width.
struct Assignment {
    const SettingName* field = nullptr;
    uint32_t value = 0;
};
// The value, or nothing with why in *error. VALUE is a keyword of the field's table (case does not
// matter; a trailing space of the table is not typed), or the number of a field without a table;
// "#N" is always the stored number. The pages' ranges are checked apart (SettingLimits.h).
std::optional<Assignment> ParseAssignment(std::string_view text, const TableChoice& tables,
                                          uint32_t residentFontCount, std::string* error);

// A value as query prints it and set reads it back: the keyword where the field has a table (#N
// for a number the table does not spell), else the number; numeric: always the stored number.
// FEATUREFLAGS is 0x followed by eight hex digits.
std::string ValueText(const SettingName& field, uint32_t value, const TableChoice& tables, bool numeric);
// "NAME=value" for every field, in record order.
std::vector<std::string> SettingLines(const PrinterSettings& s, const TableChoice& tables, bool numeric);
// The lines of the fields whose values differ between the two.
std::vector<std::string> ChangedLines(const PrinterSettings& before, const PrinterSettings& after,
                                      const TableChoice& tables, bool numeric);

}  // namespace tav::cli
