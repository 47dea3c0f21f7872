// How every tavctl command that reaches the printer starts: the program folder and its
// configuration (or a shipped model's profile), the language, the device library, the port and
// the settings query, as wintav32 starts; then the command; then the exit status.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "cli/Output.h"
#include "pjl/AppContext.h"

namespace tav::cli {

// The program's own options, wherever they stood on the command line.
struct LaunchOptions {
    std::string home;   // --home; empty: $WINTAV32_HOME, else tavctl's folder
    std::string device; // --device
    std::string model;  // --model: a profile shipped under models/
    bool yes = false;
    bool debug = false;
};

// The line of a command's --help that lists these options.
extern const char* const kLaunchOptionsHelp;

class Launch {
  public:
    // The program folder, checked: it must exist and, without --model, hold comtav.ini. Nothing
    // when it does not, with the path said on standard error (exit status kExitUsage).
    static std::optional<Launch> Prepare(const LaunchOptions& options);

    const std::string& Home() const { return m_home; }
    // A context with the configuration read and nothing opened, for what is decided before the
    // printer is reached (the keyword tables, the pages the model shows).
    std::unique_ptr<AppContext> Probe(UiHost& ui) const;

    // Starts up, runs command on the started context, ends, and returns the command's status.
    // Refused with kExitUsage before anything is opened when the model's profile does not show
    // the page the command works through (see PageRefusal). When start-up cannot reach the
    // printer, kExitPrinter with start-up's message; a device name or language problem that
    // start-up names, kExitUsage. loadRecord false leaves the settings reply unparsed.
    int Run(CliUiHost& ui, const std::string& command, const std::function<int(AppContext&)>& run,
            bool loadRecord = true) const;

  private:
    LaunchOptions m_options;
    std::string m_home;     // ends with '/'
    std::string m_userFile; // the user's comtav.ini over the profile; empty: the default one
};

// Holds the port for one action, as a page does around its button.
class PortHold {
  public:
    explicit PortHold(AppContext& ctx) : m_ctx(ctx), m_held(ctx.link.AcquirePort() != 0) {}
    ~PortHold() {
        if (m_held) m_ctx.link.ReleasePort();
    }
    PortHold(const PortHold&) = delete;
    PortHold& operator=(const PortHold&) = delete;
    bool Held() const { return m_held; }

  private:
    AppContext& m_ctx;
    bool m_held;
};

// Why the model's configuration rules out a command ("" when it does not): tavctl offers what the
// window would, so flash, psforms, psflash, psfs and firmware need their page in the sheet the
// profile gives a printer that reports every feature.
std::string PageRefusal(const AppContext& probe, const std::string& command);

} // namespace tav::cli
