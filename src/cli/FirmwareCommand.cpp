#include "cli/FirmwareCommand.h"

#include <unistd.h>

#include <cstdio>

#include "pjl/Startup.h"
#include "cli/Tavctl.h"
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
    "Exit status: 0 updated, 1 the transfer failed or the printer could not be reached,\n"
    "2 usage error (no --yes, a file that cannot be opened or is empty).\n";

void Err(const std::string& line) {
    std::fprintf(stderr, "tavctl: %s\n", line.c_str());
}

} // namespace

std::optional<std::string> FirmwareProgressLine(const FirmwareProgress& p, int& lastTenth) {
    const int tenth = p.percent / 10;
    if (tenth == 0 || tenth <= lastTenth) return std::nullopt;
    lastTenth = tenth;
    return std::to_string(tenth * 10) + " % (" + std::to_string(p.sent) + " of " + std::to_string(p.size) +
           " bytes)";
}

int RunFirmwareCommand(const std::vector<std::string>& args, const FirmwareCommandOptions& options) {
    bool yes = options.yes;
    std::string file;
    for (const std::string& a : args) {
        if (a == "--help") {
            std::fputs(kHelp, stdout);
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

    std::string home = options.home.empty() ? ProgramFolder() : options.home;
    if (home.back() != '/') home += '/';
    CliUiHost ui(true);
    const bool terminal = isatty(STDOUT_FILENO) == 1;
    int status = kExitPrinter;
    StartupHooks hooks;
    hooks.requireLanguage = false;
    hooks.bindLibraries = [&](AppContext& ctx) {
        if (options.debug) ctx.cfg.debugMsg = 1;
        return ctx.link.Bind(ctx.cfg.twoLibraryMode, ctx.cfg.programFolder);
    };
    hooks.runMainWindow = [&](AppContext& ctx) {
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
            status = kExitOk;
            break;
        case FirmwareResult::CannotOpen:
        case FirmwareResult::EmptyFile:
            status = kExitUsage;
            break;
        case FirmwareResult::Failed:
        case FirmwareResult::NoBuffer:
            // A script reads no message line: the failure and its extent go to stderr.
            Err("the firmware update failed: " + std::to_string(outcome.written) + " of " +
                std::to_string(outcome.size) + " bytes reached the printer");
            status = kExitPrinter;
            break;
        default:
            status = kExitPrinter;
            break;
        }
    };
    Application app(ui, hooks);
    app.Context().cfg.deviceOverride = options.device;
    const StartupOutcome outcome = app.InitInstance(home);
    if (outcome == StartupOutcome::LibraryMissing)
        Err("cannot load the device library (from " + options.home + " or the system's library path)");
    else if (outcome == StartupOutcome::AlreadyRunning)
        Err("another copy of the program is running");
    app.ExitInstance();
    return outcome == StartupOutcome::Ran ? status : kExitPrinter;
}

} // namespace tav::cli
