#include "cli/Tavctl.h"

#include <cstdio>

#include "cli/DevicesCommand.h"
#include "cli/FirmwareCommand.h"
#include "cli/FlashCommands.h"
#include "cli/Options.h"
#include "cli/Output.h"
#include "cli/PsfsCommands.h"
#include "cli/SettingsCommands.h"

namespace tav::cli {
namespace {

const char* kProgramHelp =
    "Usage: tavctl [OPTIONS] COMMAND [ARGS]\n"
    "Reads and changes the printer's stored defaults as wintav32 does, without a window.\n"
    "\n"
    "Options, before or after the command:\n"
    "  --home DIR     program folder holding comtav.ini, langinfo.ini, the language file\n"
    "                 and the device library (default: $WINTAV32_HOME, else tavctl's folder)\n"
    "  --model NAME   use the shipped profile models/NAME/comtav.ini (tavctl --model list\n"
    "                 names them); the user's own comtav.ini still applies over it\n"
    "  --device NAME  device name to use instead of Common/DeviceID\n"
    "  --yes          answer Yes to the program's questions (default: No)\n"
    "  --debug        as Common/DebugMsg=1: show the record and the job, write trace lines\n"
    "  --show-job     print the job set and restore send, ESC, CR and LF as \\e, \\r, \\n\n"
    "  --help         this text, or after a command that command's\n"
    "\n"
    "Commands:\n"
    "  query [--raw] [--numeric] [--json]  the printer's settings, one NAME=value a line\n"
    "  set NAME=VALUE...               change settings and send what differs\n"
    "  backup FILE                     write the printer's settings to FILE\n"
    "  restore FILE                    send the settings of FILE that differ\n"
    "  default                         return the printer to its factory settings\n"
    "  check [--json]                  the consumables and counters report\n"
    "  test-print NAME                 print one of the printer's own pages\n"
    "  firmware FILE --yes             send a firmware file to the printer\n"
    "  flash ACTION [ARGS]             PCL flash fonts and macros (tavctl flash --help)\n"
    "  psforms ACTION [ARGS]           PostScript forms in flash (tavctl psforms --help)\n"
    "  psflash format                  format the PostScript flash (needs --yes)\n"
    "  psfs ACTION [ARGS]              PostScript fonts and forms in memory or on disk (tavctl psfs --help)\n"
    "  devices [--probe HOST...] [--json]  the printers this computer can reach\n"
    "\n"
    "tavctl COMMAND --help describes a command.\n"
    "Exit status: 0 everything was applied; 1 the printer exchange failed, or the port or the\n"
    "program is busy; 2 usage error, unknown name, bad value, missing program folder or\n"
    "comtav.ini, or a question answered No (nothing sent); 3 the printer answered but did not\n"
    "take some values (named on standard error).\n";

// The command group words[0] names, with the rest of the line.
int RunCommand(const ProgramOptions& opt) {
    const std::string command = opt.words[0];
    std::vector<std::string> rest(opt.words.begin() + 1, opt.words.end());
    if (command == "firmware") {
        if (opt.help) rest.push_back("--help");
        return RunFirmwareCommand(rest, opt);
    }
    if (command == "devices") return RunDevicesCommand(opt.help ? std::vector<std::string>{"--help"} : rest);
    if (opt.help && (IsFlashCommand(command) || command == "psfs")) rest.push_back("--help");
    if (IsFlashCommand(command)) return RunFlashCommands(opt, command, rest);
    if (command == "psfs") return RunPsfsCommand(opt, rest);
    if (!IsSettingsCommand(command)) {
        Err("unknown command \"" + Visible(command, true) + "\" (tavctl --help)");
        return kExitUsage;
    }
    return RunSettingsCommand(opt, command, rest);
}

}  // namespace

int RunTavctl(const std::vector<std::string>& args) {
    int status = kExitUsage;
    const std::optional<ProgramOptions> opt = ParseProgramOptions(args, &status);
    if (!opt) return status;
    if (const std::optional<int> ended = HandleModelOption(*opt)) return *ended;
    if (opt->words.empty()) {
        if (opt->help) {
            std::fputs(kProgramHelp, stdout);
            return kExitOk;
        }
        Err("no command given (tavctl --help)");
        return kExitUsage;
    }
    if (opt->words[0].rfind("--", 0) == 0) {
        Err("unknown option " + Visible(opt->words[0], true) + " (tavctl --help)");
        return kExitUsage;
    }
    return RunCommand(*opt);
}

}  // namespace tav::cli
