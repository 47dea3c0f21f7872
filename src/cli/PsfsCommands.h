// tavctl's psfs commands: the PostScript font and form manager page without a window.
#pragma once
#include <string>
#include <vector>

#include "cli/Launcher.h"

namespace tav::cli {

// args: what follows "psfs".
int RunPsfsCommand(const LaunchOptions& options, const std::vector<std::string>& args);

} // namespace tav::cli
