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
#include "storage/PsDownload.h"

namespace tav::cli {
namespace {

const char* kHelp =
    "Usage: tavctl [OPTIONS] psfs ACTION [ARGS]\n"
    "The fonts and forms kept in the printer's PostScript file system, in its memory or,\n"
    "with --disk, on its hard disk.\n"
    "  info                              which storage the printer offers: memory, disk, both or none\n"
    "  ls [--disk] [--fonts|--forms] [--json]\n"
    "                                    the stored fonts and forms, one \"font NAME\" or \"form NAME\" a\n"
    "                                    line; --json prints one JSON array (man tavctl)\n"
    "  df [--disk] [--json]              total, used and available space in kilobytes\n"
    "  put FILE... [--disk] [--font|--form]\n"
    "                                    store files; without --font or --form a valid Type 1 font goes\n"
    "                                    as a font under its /FontName, anything else as a form under\n"
    "                                    its file name\n"
    "  rm NAME... [--disk] [--font|--form] --yes\n"
    "                                    delete stored files (all of that name without --font or --form)\n"
    "  report                            print the printer's storage report\n"
    "Each stored file is given 30 seconds for the printer to take it, each deleted one 8, as the page\n"
    "does; then the printer's listing is read again to see it done. A target takes at most 20 fonts\n"
    "and forms, and a name is refused when it holds a slash or \"..\" (a font's name also when it is\n"
    "not plain ASCII). The model's configuration must show the PostScript file system page (TAB/FMU).\n"
    "Exit status: 0 done, 1 the printer exchange failed, its answer was not understood or its listing\n"
    "came incomplete, or a file could not be sent; 2 usage error or a page the model does not show;\n"
    "3 the printer's listing shows a file not stored or not deleted; 4 the printer is busy.\n";

struct Request {
    std::string action;
    std::vector<std::string> names;
    bool disk = false;
    int filter = 0; // 0 all, 1 fonts, 2 forms
    bool yes = false;
    bool json = false; // ls, df: JSON instead of the lines
};

const char* KindOf(int32_t type) {
    return type == FMU_DATA_FONT ? "font" : "form";
}

std::string Named(const FmuFileEntry& e) {
    return std::string(KindOf(e.type)) + " " + TerminalName(e.name);
}

std::string NamedAll(const std::vector<FmuFileEntry>& entries) {
    std::string text;
    for (const FmuFileEntry& e : entries)
        text += (text.empty() ? "" : ", ") + Named(e);
    return text;
}

// A failed exchange has been reported by the printer box; an answer that is not the reply is
// reported here.
int ReplyFailed(const FmuProtocol& fmu, const char* question) {
    if (fmu.LastReply() == FmuReply::NotUnderstood)
        Err(std::string("the printer's answer to the ") + question + " question was not understood");
    return kExitPrinter;
}

// A failed exchange outweighs a refusal: it leaves less known.
int Worse(int a, int b) {
    if (a == kExitPrinter || b == kExitPrinter) return kExitPrinter;
    return std::max(a, b);
}

bool Offers(int system, bool disk) {
    return disk ? (system == 2 || system == 3) : (system == 1 || system == 3);
}

// The printer must offer the target before anything is asked of it.
bool CheckTarget(FmuProtocol& fmu, bool disk) {
    const int system = fmu.CheckSystem();
    if (Offers(system, disk)) return true;
    if (fmu.LastReply() != FmuReply::Ok) {
        ReplyFailed(fmu, "storage");
        return false;
    }
    Err(std::string("the printer has no PostScript file system ") + (disk ? "on a hard disk" : "in memory"));
    return false;
}

// The lists could not be read: not answered (the printer box) or answered with something else.
int ListingFailed(AppContext& ctx, const FmuProtocol& fmu) {
    if (fmu.LastReply() == FmuReply::NotUnderstood) return ReplyFailed(fmu, "listing");
    ctx.ShowPrinterError();
    return kExitPrinter;
}

// Both lists; false when they could not be read, and said so.
bool LoadEntries(AppContext& ctx, FmuProtocol& fmu, std::vector<FmuFileEntry>& entries, bool& complete) {
    if (fmu.LoadEntries(entries, complete)) return true;
    ListingFailed(ctx, fmu);
    return false;
}

const char kIncomplete[] = "the printer's listing came incomplete: ";

bool Passes(int filter, int32_t type) {
    return filter == 0 || (filter == 1 && type == FMU_DATA_FONT) || (filter == 2 && type == FMU_DATA_FORM);
}

int Put(AppContext& ctx, FmuProtocol& fmu, const Request& rq, const FmuLog& log) {
    std::vector<FmuFileEntry> listing;
    bool complete = false;
    if (!LoadEntries(ctx, fmu, listing, complete)) return kExitPrinter;
    const PsSendAs as = rq.filter == 1 ? PsSendAs::Font : rq.filter == 2 ? PsSendAs::Form : PsSendAs::Any;
    int status = kExitOk;
    for (const std::string& path : rq.names) {
        const std::string file = Visible(path, true);
        PsDownload download(fmu, path, as, listing.size(), &log);
        switch (download.Step()) {
        case PsDownloadStep::Ready:
            break;
        case PsDownloadStep::Full:
            Err("the printer holds " + std::to_string(listing.size()) + " fonts and forms there, as many as it takes; " +
                file + " and what follows were not sent");
            return Worse(status, kExitPrinter);
        case PsDownloadStep::Unreadable:
            Err("cannot read " + file);
            status = Worse(status, kExitPrinter);
            continue;
        case PsDownloadStep::NotAFont:
            Err(file + " is not a Type 1 font");
            status = Worse(status, kExitPrinter);
            continue;
        case PsDownloadStep::BadName:
            Err(file + " was not sent: " + TextOf(download.Problem()).english);
            status = Worse(status, kExitPrinter);
            continue;
        case PsDownloadStep::SizeUnknown:
            return ReplyFailed(fmu, "free space");
        case PsDownloadStep::NoSpace:
            Err("not enough free space for " + file + ": it takes " + std::to_string((download.SendBytes() + 1023) / 1024) +
                " KB to send, the printer has " + std::to_string(download.FreeKb()) + " KB");
            return kExitPrinter;
        }
        const SendResult sent = download.Send();
        if (sent.status != SendStatus::Complete) {
            Err("sending " + file + " broke off: " + HandedToLinkText(sent.handed, sent.size) + "; send it again");
            status = Worse(status, kExitPrinter);
            continue;
        }
        const ListingCheck<FmuFileEntry> check = download.Confirm(listing);
        switch (check.verdict) {
        case Listed::Confirmed:
            Out(Named(download.Entry()));
            break;
        case Listed::NotTaken:
            Err("the printer did not take it: " + NamedAll(check.contrary) + " is not in its listing");
            status = Worse(status, kExitRefused);
            break;
        case Listed::Incomplete:
            Err(kIncomplete + std::string("it does not show whether ") + Named(download.Entry()) + " was stored");
            status = Worse(status, kExitPrinter);
            break;
        case Listed::Unread:
            return ListingFailed(ctx, fmu);
        }
    }
    return status;
}

int Remove(AppContext& ctx, FmuProtocol& fmu, const Request& rq) {
    // The names as the printer lists them.
    std::vector<FmuFileEntry> entries;
    bool complete = false;
    if (!LoadEntries(ctx, fmu, entries, complete)) return kExitPrinter;
    if (!rq.yes && ctx.Message(ctx.GetLangText("FLASH", "Msg_delete_all"), MsgIcon::Question,
                               MsgButtons::YesNo) != MsgResult::Yes)
        return kExitUsage;
    int status = kExitOk;
    std::vector<FmuFileEntry> deleted;
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
            deleted.push_back(e);
            ctx.ui.Wait(kFmuDeleteWaitMs);
        }
        if (!found) {
            Err("no " +
                std::string(rq.filter == 1   ? "font"
                            : rq.filter == 2 ? "form"
                                             : "file") +
                " named " + Visible(name, true) + " on the printer" +
                (complete ? "" : " (its listing came incomplete)"));
            status = kExitPrinter;
        }
    }
    if (deleted.empty()) return status;
    std::vector<FmuFileEntry> after;
    const bool read = fmu.LoadEntries(after, complete);
    const ListingCheck<FmuFileEntry> check = CheckByListing(read, complete, after, deleted, false);
    switch (check.verdict) {
    case Listed::Confirmed:
        for (const FmuFileEntry& e : deleted)
            Out("deleted " + Named(e));
        return status;
    case Listed::NotTaken:
        for (const FmuFileEntry& e : deleted)
            if (std::find(check.contrary.begin(), check.contrary.end(), e) == check.contrary.end())
                Out("deleted " + Named(e));
        Err("the printer did not take it: " + NamedAll(check.contrary) + " is still in its listing");
        return Worse(status, kExitRefused);
    case Listed::Incomplete:
        Err(kIncomplete + std::string("it does not show whether ") + NamedAll(deleted) + " went");
        return kExitPrinter;
    case Listed::Unread:
        break;
    }
    return ListingFailed(ctx, fmu);
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
        if (fmu.LastReply() != FmuReply::Ok) return ReplyFailed(fmu, "storage");
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
        if (!fmu.QuerySizes(sizes, true)) return ReplyFailed(fmu, "free space");
        const uint64_t used = sizes.totalKb > sizes.freeKb ? sizes.totalKb - sizes.freeKb : 0;
        if (rq.json) {
            Out(JsonObject()
                    .AddNumber("totalKb", sizes.totalKb)
                    .AddNumber("usedKb", used)
                    .AddNumber("availableKb", sizes.freeKb)
                    .Text());
            return kExitOk;
        }
        Out("Total: " + FormatThousands(sizes.totalKb) + " KB");
        Out("Used: " + FormatThousands(used) + " KB");
        Out("Available: " + FormatThousands(sizes.freeKb) + " KB");
        return kExitOk;
    }
    if (rq.action == "ls") {
        std::vector<FmuFileEntry> entries;
        bool complete = false;
        if (!LoadEntries(ctx, fmu, entries, complete)) return kExitPrinter;
        std::vector<std::string> items;
        for (const FmuFileEntry& e : entries)
            if (!Passes(rq.filter, e.type))
                continue;
            else if (rq.json)
                items.push_back(JsonObject().AddString("type", KindOf(e.type)).AddString("name", e.name).Text());
            else
                Out(Named(e));
        if (rq.json) Out(JsonArray(items));
        if (complete) return kExitOk;
        Err(kIncomplete + std::string("only the files that arrived whole are shown"));
        return kExitPrinter;
    }
    if (rq.action == "put") return Put(ctx, fmu, rq, log);
    return Remove(ctx, fmu, rq);
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
        } else if (a == "--json" && (rq.action == "ls" || rq.action == "df")) {
            rq.json = true;
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
    for (const std::string& name : rq.names)
        if (NameProblem p = CheckStoredName(name, NameUse::Delete); rq.action == "rm" && p != NameProblem::None) {
            Err("cannot delete \"" + Visible(name, true) + "\": " + TextOf(p).english);
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
