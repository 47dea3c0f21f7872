#include "cli/FirmwareCommand.h"

#include <unistd.h>

#include <cstdio>

#include "cli/Output.h"
#include "platform/Platform.h"

namespace tav::cli {
namespace {

const char* kHelp =
    "Usage: tavctl [OPTIONS] firmware FILE --yes\n"
    "Sends the firmware file FILE to the printer unchanged, in chunks of 4096 bytes, then waits\n"
    "40 seconds while the printer programs itself. The printer must not be switched off before\n"
    "the command has ended. --yes is required (before or after the command): the printer's\n"
    "program is replaced. On a terminal the progress is printed, one line per 10 %; otherwise\n"
    "nothing is printed on standard output.\n"
    "The model's configuration must show the firmware page (TAB/FirmWare).\n"
    "Exit status: 0 updated, 1 the transfer failed or the printer could not be reached, 2 usage\n"
    "error (no --yes, a file that cannot be opened or is empty, a page the model does not show),\n"
    "4 the printer is busy.\n";


} // namespace

std::optional<std::string> FirmwareProgressLine(const FirmwareProgress& p, int& lastTenth) {
    const int tenth = p.percent / 10;
    if (tenth == 0 || tenth <= lastTenth) return std::nullopt;
    lastTenth = tenth;
    return std::to_string(tenth * 10) + " % (" + std::to_string(p.sent) + " of " + std::to_string(p.size) +
           " bytes)";
}

int RunFirmwareCommand(const std::vector<std::string>& args, const LaunchOptions& options) {
    bool yes = options.yes;
    std::string file;
    for (const std::string& a : args) {
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            std::fputs(kLaunchOptionsHelp, stdout);
            return kExitOk;
        } else if (a == "--yes") {
            yes = true;
        } else if (file.empty() && !a.empty() && a.rfind("--", 0) != 0) {
            file = a;
        } else {
            Err("unexpected \"" + Visible(a, true) + "\" for firmware (tavctl firmware --help)");
            return kExitUsage;
        }
    }
    if (file.empty()) {
        Err("firmware needs a file (tavctl firmware --help)");
        return kExitUsage;
    }
    if (!yes) {
        Err("firmware replaces the printer's program: add --yes to send " + Visible(file, true));
        return kExitUsage;
    }
    // Refused before anything talks to the printer; the transfer checks again when it opens it.
    const std::optional<uint64_t> size = FirmwareFileSize(file);
    if (!size) {
        Err("cannot open " + Visible(file, true));
        return kExitUsage;
    }
    if (*size == 0) {
        Err(Visible(file, true) + " is empty: nothing to send");
        return kExitUsage;
    }

    const std::optional<Launch> launch = Launch::Prepare(options);
    if (!launch) return kExitUsage;
    CliUiHost ui(true);
    const bool terminal = isatty(STDOUT_FILENO) == 1;
    const auto run = [&](AppContext& ctx) {
        FirmwareObserver observer;
        int lastTenth = -1;
        if (terminal) {
            observer.progress = [&lastTenth](const FirmwareProgress& p) {
                if (auto line = FirmwareProgressLine(p, lastTenth)) {
                    std::fprintf(stdout, "%s\n", line->c_str());
                    std::fflush(stdout);
                }
            };
            observer.message = [](const std::string& text) {
                std::fprintf(stdout, "%s\n", Visible(text, true).c_str());
                std::fflush(stdout);
            };
        }
        const FirmwareOutcome outcome = SendFirmware(ctx, file, observer);
        switch (outcome.result) {
        case FirmwareResult::Updated:
            return kExitOk;
        case FirmwareResult::CannotOpen:
        case FirmwareResult::EmptyFile:
            return kExitUsage;
        case FirmwareResult::Failed:
        case FirmwareResult::NoBuffer:
            // A script reads no message line: the failure and its extent go to stderr.
            Err("the firmware update failed: " + HandedToLinkText(outcome.written, outcome.size) +
                "; the printer may hold part of it, send the file again before switching it off");
            return kExitPrinter;
        default:
            return kExitPrinter;
        }
    };
    // The download reads no settings: the reply to the start-up query is left as it came.
    return launch->Run(ui, "firmware", run, false);
}

} // namespace tav::cli
