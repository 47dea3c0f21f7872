// tavctl's settings commands: query, set, default, check, test-print, backup and restore, the
// exchanges of wintav32's Send and Default, Check and Test pages without a window.
#pragma once
#include <string>
#include <vector>

#include "cli/Options.h"

namespace tav::cli {

bool IsSettingsCommand(const std::string& command);
// Runs one settings command with the arguments after it (opt.help: its help); the exit status.
int RunSettingsCommand(const ProgramOptions& opt, const std::string& command, const std::vector<std::string>& rest);

}  // namespace tav::cli
