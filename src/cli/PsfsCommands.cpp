#include "cli/PsfsCommands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "cli/Output.h"
#include "pjl/Pjl.h"
#include "pjl/Resolution.h"
#include "pjl/SettingsRecord.h"
#include "platform/Platform.h"
#include "storage/FmuProtocol.h"
#include "storage/Type1.h"

namespace tav::cli {
namespace {


const char* kHelp =
    "Usage: tavctl [OPTIONS] psfs ACTION [ARGS]\n"
    "The fonts and forms kept in the printer's PostScript file system, in its memory or,\n"
    "with --disk, on its hard disk.\n"
    "  info                              which storage the printer offers: memory, disk, both or none\n"
    "  ls [--disk] [--fonts|--forms]     the stored fonts and forms, one \"font NAME\" or \"form NAME\" a "
    "line\n"
    "  df [--disk]                       total, used and available space in kilobytes\n"
    "  put FILE... [--disk] [--font|--form]\n"
    "                                    store files; without --font or --form a valid Type 1 font goes\n"
    "                                    as a font under its /FontName, anything else as a form under\n"
    "                                    its file name\n"
    "  rm NAME... [--disk] [--font|--form] --yes\n"
    "                                    delete stored files (all of that name without --font or --form)\n"
    "  report                            print the printer's storage report\n"
    "Each stored file is given 30 seconds for the printer to take it, as the page does. The model's\n"
    "configuration must show the PostScript file system page (TAB/FMU).\n"
    "Exit status: 0 done, 1 the printer exchange failed, the port is busy, or a file was not stored\n"
    "or deleted, 2 usage error or a page the model does not show.\n";

struct Request {
    std::string action;
    std::vector<std::string> names;
    bool disk = false;
    int filter = 0; // 0 all, 1 fonts, 2 forms
    bool yes = false;
};

bool Offers(int system, bool disk) {
    return disk ? (system == 2 || system == 3) : (system == 1 || system == 3);
}

// The printer must offer the target before anything is asked of it.
bool CheckTarget(FmuProtocol& fmu, bool disk) {
    const int system = fmu.CheckSystem();
    if (Offers(system, disk)) return true;
    if (fmu.LastExchangeFailed()) return false; // the printer box has said so
    Err(std::string("the printer has no PostScript file system ") + (disk ? "on a hard disk" : "in memory"));
    return false;
}

bool LoadEntries(AppContext& ctx, FmuProtocol& fmu, std::vector<FmuFileEntry>& entries) {
    if (fmu.LoadFontListFromDevice(entries) && fmu.LoadFormListFromDevice(entries)) return true;
    ctx.ShowPrinterError();
    return false;
}

bool Passes(int filter, int32_t type) {
    return filter == 0 || (filter == 1 && type == FMU_DATA_FONT) || (filter == 2 && type == FMU_DATA_FORM);
}

int Run(AppContext& ctx, const Request& rq) {
    FmuLog log;
    log.ReadSwitch();
    FmuProtocol fmu(ctx, log);
    fmu.SetTarget(rq.disk ? FMU_SELECTED_TARGET_HDD : FMU_SELECTED_TARGET_DIMM);
    PortHold port(ctx);
    if (!port.Held()) return kExitPrinter;

    if (rq.action == "info") {
        const int system = fmu.CheckSystem();
        if (fmu.LastExchangeFailed()) return kExitPrinter;
        static const char* const kNames[] = {"none", "memory", "disk", "both"};
        Out(kNames[system >= 0 && system <= 3 ? system : 0]);
        return kExitOk;
    }
    if (rq.action == "report") {
        if (!fmu.SendStorageReport()) {
            ctx.ShowPrinterError();
            return kExitPrinter;
        }
        ctx.ui.Wait(10000); // the printer is busy printing
        return kExitOk;
    }
    if (!CheckTarget(fmu, rq.disk)) return kExitPrinter;
    if (rq.action == "df") {
        FmuSizes sizes;
        if (!fmu.QuerySizes(sizes, true)) return kExitPrinter;
        const uint64_t used = sizes.totalKb > sizes.freeKb ? sizes.totalKb - sizes.freeKb : 0;
        Out("Total: " + FormatThousands(sizes.totalKb) + " KB");
        Out("Used: " + FormatThousands(used) + " KB");
        Out("Available: " + FormatThousands(sizes.freeKb) + " KB");
        return kExitOk;
    }
    if (rq.action == "ls") {
        std::vector<FmuFileEntry> entries;
        if (!LoadEntries(ctx, fmu, entries)) return kExitPrinter;
        for (const FmuFileEntry& e : entries)
            if (Passes(rq.filter, e.type))
                Out(std::string(e.type == FMU_DATA_FONT ? "font " : "form ") + Visible(e.name, true));
        return kExitOk;
    }
    if (rq.action == "put") {
        int status = kExitOk;
        for (const std::string& path : rq.names) {
            struct stat st {};
            if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
                Err("cannot read " + Visible(path, true));
                status = kExitPrinter;
                continue;
            }
            const uint64_t freeKb = fmu.GetSysAvailableMemory();
            if (freeKb == 0 || freeKb * 1024 <= static_cast<uint64_t>(st.st_size)) {
                Err("not enough free space for " + Visible(path, true));
                return kExitPrinter;
            }
            std::string sendPath = path;
            std::string fontName;
            if (rq.filter != 2) {
                char converted[260];
                if (ConvertPfbToPfa(path.c_str(), converted, sizeof converted, &log)) sendPath = converted;
                char name[260];
                if (ValidateFont(sendPath.c_str(), name, sizeof name, &log)) fontName = name;
                if (fontName.empty() && rq.filter == 1) {
                    Err(Visible(path, true) + " is not a Type 1 font");
                    status = kExitPrinter;
                    continue;
                }
            }
            const bool font = !fontName.empty();
            const std::string name = font ? fontName : std::filesystem::path(path).filename().string();
            const int ok = font ? fmu.DownloadFontToDevice(sendPath, name)
                                : fmu.DownloadFormToDevice(rq.filter == 2 ? path : sendPath, name);
            if (!ok) {
                Err("the printer did not take " + Visible(path, true));
                status = kExitPrinter;
                continue;
            }
            Out(std::string(font ? "font " : "form ") + Visible(name, true));
        }
        return status;
    }
    // rm: the names as the printer lists them.
    std::vector<FmuFileEntry> entries;
    if (!LoadEntries(ctx, fmu, entries)) return kExitPrinter;
    if (!rq.yes && ctx.Message(ctx.GetLangText("FLASH", "Msg_delete_all"), MsgIcon::Question,
                               MsgButtons::YesNo) != MsgResult::Yes)
        return kExitUsage;
    int status = kExitOk;
    for (const std::string& name : rq.names) {
        bool found = false;
        for (const FmuFileEntry& e : entries) {
            if (e.name != name || !Passes(rq.filter, e.type)) continue;
            found = true;
            if (!fmu.DeleteFileOnDevice(e.name, e.type)) {
                ctx.ShowPrinterError();
                status = kExitPrinter;
                continue;
            }
            Out(std::string("deleted ") + (e.type == FMU_DATA_FONT ? "font " : "form ") +
                Visible(e.name, true));
        }
        if (!found) {
            Err("no " +
                std::string(rq.filter == 1   ? "font"
                            : rq.filter == 2 ? "form"
                                             : "file") +
                " named " + Visible(name, true) + " on the printer");
            status = kExitPrinter;
        }
    }
    return status;
}

} // namespace

int RunPsfsCommand(const LaunchOptions& options, const std::vector<std::string>& args) {
    Request rq;
    rq.yes = options.yes;
    for (const std::string& a : args)
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            std::fputs(kLaunchOptionsHelp, stdout);
            return kExitOk;
        }
    if (args.empty()) {
        Err("psfs needs an action (tavctl psfs --help)");
        return kExitUsage;
    }
    rq.action = args[0];
    static const std::vector<std::string> kActions = {"info", "ls", "df", "put", "rm", "report"};
    if (std::find(kActions.begin(), kActions.end(), rq.action) == kActions.end()) {
        Err("unknown psfs action \"" + Visible(rq.action, true) + "\" (tavctl psfs --help)");
        return kExitUsage;
    }
    const bool takesNames = rq.action == "put" || rq.action == "rm";
    const bool takesTarget = rq.action != "info" && rq.action != "report";
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool typeFlag = a == "--font" || a == "--form" || a == "--fonts" || a == "--forms";
        if (a == "--disk" && takesTarget) {
            rq.disk = true;
        } else if (typeFlag && rq.action == "ls" && (a == "--fonts" || a == "--forms") && rq.filter == 0) {
            rq.filter = a == "--fonts" ? 1 : 2;
        } else if (typeFlag && takesNames && (a == "--font" || a == "--form") && rq.filter == 0) {
            rq.filter = a == "--font" ? 1 : 2;
        } else if (a == "--yes" && rq.action == "rm") {
            rq.yes = true;
        } else if (takesNames && a.rfind("--", 0) != 0 && !a.empty()) {
            rq.names.push_back(rq.action == "put" ? std::filesystem::absolute(a).string() : a);
        } else {
            Err("unexpected \"" + Visible(a, true) + "\" for psfs " + rq.action + " (tavctl psfs --help)");
            return kExitUsage;
        }
    }
    if (takesNames && rq.names.empty()) {
        Err("psfs " + rq.action + " needs at least one " + (rq.action == "put" ? "FILE" : "NAME"));
        return kExitUsage;
    }
    if (rq.action == "rm" && !rq.yes) {
        Err("psfs rm deletes from the printer; add --yes to do it");
        return kExitUsage;
    }

    const std::optional<Launch> launch = Launch::Prepare(options);
    if (!launch) return kExitUsage;
    CliUiHost ui(rq.yes);
    return launch->Run(ui, "psfs", [&](AppContext& ctx) { return Run(ctx, rq); });
}

} // namespace tav::cli
