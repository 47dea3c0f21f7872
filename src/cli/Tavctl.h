// tavctl: the settings exchange of wintav32 without a window, for scripts and headless hosts.
#pragma once
#include <string>
#include <vector>

namespace tav::cli {

// Runs one command line (without the program name); returns the exit status.
int RunTavctl(const std::vector<std::string>& args);

}  // namespace tav::cli
