// tavctl's own options, which may stand anywhere on the command line, and what is left of it:
// the command and its own arguments.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "cli/Launcher.h"

namespace tav::cli {

struct ProgramOptions : LaunchOptions {
    bool showJob = false;
    bool help = false;
    std::vector<std::string> words; // the command and its arguments, in order
};

// The options taken out of args; nothing with the exit status when the line is refused (the
// reason said on standard error).
std::optional<ProgramOptions> ParseProgramOptions(const std::vector<std::string>& args, int* status);

// --model: "list" prints the installed models; a name with no profile is refused. The exit
// status when the program ends here, nothing when it goes on.
std::optional<int> HandleModelOption(const ProgramOptions& options);

}  // namespace tav::cli
