// The backup of a printer's stored defaults: an INI file of NAME = value lines under [Settings],
// spelled as query prints them, that restore reads back by the INI rules.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "cli/SettingNames.h"

namespace tav::cli {

// The file's text: the model, the device and the date in comments, then every settable field.
std::string BackupText(const AppContext& ctx, const std::string& date);

// The settings of a backup file, each checked as set reads it; names this model has no field for
// and keywords its lists lack are skipped, each said on standard error. Nothing (with why) for a
// file that cannot be read, a value that is not one, or a file with no setting to restore.
std::optional<std::vector<Assignment>> ReadBackup(const std::string& file, const TableChoice& tables);

} // namespace tav::cli
