#include "cli/Launcher.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "pjl/ConfigFiles.h"
#include "pages/Sheet.h"
#include "pjl/Startup.h"
#include "pjl/SettingsRecord.h"
#include "platform/Platform.h"

namespace tav::cli {
namespace {

// The page each command group works through, as the window would offer it.
struct PageNeed {
    const char* command;
    PageId page;
    PageId orPage;
    const char* described; // the page and the switches that show it
};

const PageNeed kPageNeeds[] = {
    {"flash", PageId::Download, PageId::Download, "the flash fonts and macros page (TAB/DOWNLOAD)"},
    {"psforms", PageId::PostS3, PageId::PostS4, "a PostScript page (TAB/PS3 or PS3/FONT_FORM)"},
    {"psflash", PageId::PostS3, PageId::PostS4, "a PostScript page (TAB/PS3 or PS3/FONT_FORM)"},
    {"psfs", PageId::Fmu, PageId::Fmu, "the PostScript file system page (TAB/FMU)"},
    {"firmware", PageId::FwUp, PageId::FwUp, "the firmware page (TAB/FirmWare)"},
};

} // namespace

const char* const kLaunchOptionsHelp =
    "\nOptions (before or after the command): --home DIR, --model NAME, --device NAME, --wait SECONDS,\n"
    "--yes, --debug\n";

std::optional<Launch> Launch::Prepare(const LaunchOptions& options) {
    Launch l;
    l.m_options = options;
    l.m_home = options.home.empty() ? ProgramFolder() : options.home;
    if (l.m_home.empty() || l.m_home.back() != '/') l.m_home += '/';
    std::error_code ec;
    if (!std::filesystem::is_directory(l.m_home, ec)) {
        Err("the program folder " + Visible(l.m_home, true) + " does not exist");
        return std::nullopt;
    }
    if (options.model.empty() && !std::filesystem::is_regular_file(l.m_home + "comtav.ini", ec)) {
        Err("the program folder has no " + Visible(l.m_home + "comtav.ini", true));
        return std::nullopt;
    }
    // A folder given with --home is a home of its own, as WINTAV32_HOME is.
    if (!options.home.empty()) l.m_userFile = l.m_home + "comtav.ini";
    return l;
}

std::unique_ptr<AppContext> Launch::Probe(UiHost& ui) const {
    auto probe = std::make_unique<AppContext>(ui);
    probe->cfg.programFolder = m_home;
    probe->cfg.model = m_options.model;
    probe->cfg.userConfigFilePath = m_userFile;
    ResolveConfigFiles(probe->cfg);
    return probe;
}

std::string PageRefusal(const AppContext& probe, const std::string& command) {
    const auto need = std::find_if(std::begin(kPageNeeds), std::end(kPageNeeds),
                                   [&](const PageNeed& n) { return command == n.command; });
    if (need == std::end(kPageNeeds)) return "";
    // The profile's part of the sheet: what it shows a printer that reports every feature.
    AppContext every(probe.ui);
    every.cfg = probe.cfg;
    every.store.edited.featureFlags = 0xFFFFFFFFu;
    for (const SheetTab& tab : SheetLayout(every))
        if (tab.page == need->page || tab.page == need->orPage) return "";
    return command + ": this model does not show " + need->described + " in " +
           Visible(probe.cfg.configFilePath, true) + "; nothing sent";
}

int Launch::Run(CliUiHost& ui, const std::string& command, const std::function<int(AppContext&)>& run,
                bool loadRecord) const {
    if (const std::string refusal = PageRefusal(*Probe(ui), command); !refusal.empty()) {
        Err(refusal);
        return kExitUsage;
    }
    int status = kExitPrinter;
    StartupHooks hooks;
    hooks.requireLanguage = false;
    hooks.languageFromLocale = true;
    hooks.singleInstance = false;
    hooks.bindLibraries = [&](AppContext& ctx) {
        // Start-up has just read Common/DebugMsg; the option counts as that key set to 1.
        if (m_options.debug) ctx.cfg.debugMsg = 1;
        return ctx.link.Bind(ctx.cfg.twoLibraryMode, ctx.cfg.programFolder);
    };
    if (loadRecord) hooks.loadSettingsRecord = [](AppContext& ctx) { return LoadSettingsRecord(ctx); };
    hooks.runMainWindow = [&](AppContext& ctx) { status = run(ctx); };
    Application app(ui, hooks);
    app.Context().cfg.deviceOverride = m_options.device;
    app.Context().cfg.model = m_options.model;
    app.Context().cfg.userConfigFilePath = m_userFile;
    app.Context().cfg.portWaitMs = m_options.waitSeconds * 1000;
    const StartupOutcome outcome = app.InitInstance(m_home);
    switch (outcome) {
    case StartupOutcome::Ran:
        break;
    case StartupOutcome::LibraryMissing:
        Err(std::string("cannot load the device library ") +
            (app.Context().cfg.twoLibraryMode ? "libqvdevm.so or libqvdevms.so" : "libqvdevm.so") +
            " (from " + m_home + " or the system's library path)");
        break;
    case StartupOutcome::BadDeviceName:
    case StartupOutcome::LanguageMissing:
        app.ExitInstance();
        return kExitUsage; // start-up has said why
    default:
        break; // start-up has shown its own message
    }
    // A busy printer is worth another try later; a name that names no device is the user's to
    // mend: nothing was tried with it.
    const bool busy = app.Context().link.PortWasBusy();
    const bool badName = app.Context().link.LastOpenFailure().code == QVDEVM_ERROR_BAD_NAME;
    app.ExitInstance();
    if (busy) return kExitBusy;
    if (badName) return kExitUsage;
    return outcome == StartupOutcome::Ran ? status : kExitPrinter;
}

} // namespace tav::cli
