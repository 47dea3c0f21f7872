// tavctl firmware FILE: the firmware download of the firmware page, without a window.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "cli/Launcher.h"
#include "firmware/Firmware.h"

namespace tav::cli {

// Runs "firmware" with the arguments after the command; returns the exit status.
int RunFirmwareCommand(const std::vector<std::string>& args, const LaunchOptions& options);

// The terminal's progress line for p when it reaches a new tenth of the file; lastTenth holds
// the tenth printed last (start with -1).
std::optional<std::string> FirmwareProgressLine(const FirmwareProgress& p, int& lastTenth);

} // namespace tav::cli
