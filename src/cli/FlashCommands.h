// tavctl's flash, psforms and psflash commands: the buttons of the flash fonts and macros page
// and of the PostScript pages, through the same code and with the same jobs and waits.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "cli/Launcher.h"
#include "pjl/AppContext.h"

namespace tav::cli {

struct FlashRequest {
    std::string command; // flash, psforms, psflash
    std::string action;  // list, add-font, ...
    std::string file;    // absolute, for the downloads
    int id = 0;
    bool destructive = false;
    bool json = false;   // list: one JSON object instead of the lines
};

bool IsFlashCommand(const std::string& command);
// The request, or nothing with why set (a usage error: nothing is sent).
std::optional<FlashRequest> ParseFlashRequest(const std::string& command,
                                              const std::vector<std::string>& args, std::string* why);
// Runs one request on a started context; prints results to stdout; returns the exit status.
int RunFlashRequest(AppContext& ctx, const FlashRequest& request);
// The whole command: parse, start up, run.
int RunFlashCommands(const LaunchOptions& options, const std::string& command,
                     const std::vector<std::string>& args);

} // namespace tav::cli
