// The settings as tavctl reads and prints them: the names and tables of the field table, a value
// spelled one way for each field.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pjl/AppContext.h"
#include "pjl/SettingsFields.h"

namespace tav::cli {

// One NAME=VALUE of the command line, checked against the field's table and width.
struct Assignment {
    const SettingField* field = nullptr;
    uint32_t value = 0;
};
// The value, or nothing with why in *error. VALUE is a keyword of the field's table (case does not
// matter; a trailing space of the table is not typed), or the number of a field without a table;
// "#N" is always the stored number, any number the record can hold, so every value a printer
// reports reads back. Whether it can be sent is checked apart (ListProblem; SettingLimits.h).
std::optional<Assignment> ParseAssignment(std::string_view text, const TableChoice& tables, std::string* error);

// Why value cannot be sent as field ("PAPER takes 0 to 22, not 23"): a number past the field's
// list, or a font past the resident fonts; "" when it can. A value the printer holds is not sent,
// so only a change is asked about.
std::string ListProblem(const SettingField& field, uint32_t value, const TableChoice& tables,
                        uint32_t residentFontCount);

// A value as query prints it and set reads it back: the keyword where the field has a table (#N
// for a number the table does not spell), else the number; numeric: #N for every field with a
// table, so it is never read back as a keyword. FEATUREFLAGS is 0x followed by eight hex digits.
std::string ValueText(const SettingField& field, uint32_t value, const TableChoice& tables, bool numeric);
// "NAME=value" for every field, in record order.
std::vector<std::string> SettingLines(const PrinterSettings& s, const TableChoice& tables, bool numeric);
// The lines of the fields whose values differ between the two.
std::vector<std::string> ChangedLines(const PrinterSettings& before, const PrinterSettings& after,
                                      const TableChoice& tables, bool numeric);

}  // namespace tav::cli
