#include "cli/FlashCommands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "cli/Launcher.h"
#include "cli/Output.h"
#include "pjl/Pjl.h"
#include "pjl/Resolution.h"
#include "pjl/SettingsRecord.h"
#include "platform/Platform.h"
#include "storage/FileSend.h"
#include "storage/FlashCore.h"
#include "storage/PsForms.h"

namespace tav::cli {
namespace {

struct ActionDef {
    const char* command;
    const char* action;
    const char* args; // "", "ID", "FILE", "FILE ID"
    const char* help;
    bool destructive;
};

const ActionDef kActions[] = {
    {"flash", "list", "", "the flash fonts (No., ID, name, symbol set) and macros (No., ID, * active);\n"
     "                     --json prints one JSON object (man tavctl)",
     false},
    {"flash", "add-font", "FILE ID", "download a PCL soft font under ID", false},
    {"flash", "add-macro", "FILE ID", "download a PCL macro under ID", false},
    {"flash", "rm-font", "ID", "delete one font", true},
    {"flash", "rm-macro", "ID", "delete one macro", true},
    {"flash", "rm-fonts", "", "delete all fonts", true},
    {"flash", "rm-macros", "", "delete all macros", true},
    {"flash", "rm-all", "", "delete all fonts and macros", true},
    {"flash", "macro-on", "ID", "make a macro the one applied to every page", false},
    {"flash", "macro-off", "", "apply no macro", false},
    {"psforms", "list", "", "the PostScript forms in flash (No., name, size); --json prints one JSON object",
     false},
    {"psforms", "add", "FILE", "download a PostScript form", false},
    {"psforms", "rm-all", "", "delete all PostScript forms", true},
    {"psflash", "format", "", "format the PostScript flash: fonts, macros and forms are erased", true},
};

void Help(const std::string& command) {
    std::printf("Usage: tavctl [OPTIONS] %s ACTION [ARGS]\n", command.c_str());
    for (const ActionDef& a : kActions) {
        if (command != a.command) continue;
        std::string left = std::string(a.action) + (*a.args ? std::string(" ") + a.args : "");
        std::printf("  %-18s %s%s\n", left.c_str(), a.help, a.destructive ? " (needs --yes)" : "");
    }
    std::printf("Each action sends what the page's button sends, with its waits (a font or macro download\n"
                "waits %u seconds for the printer to store the file). The model's configuration must show\n"
                "the page the command belongs to. IDs run from 0 to %d (%u means no active macro).\n"
                "Every flash action is checked against the printer's listing afterwards.\n"
                "Exit status: 0 done, 1 the printer exchange failed or a listing arrived incomplete,\n"
                "2 usage error, an ID the printer does not hold or a page the model does not show, 3 the\n"
                "listing does not show the change (what differs is named; for a PostScript form action,\n"
                "the form listing read after it), 4 the printer is busy.\n",
                (kSendSettleWaitMs + kFlashDownloadWaitMs) / 1000, kFlashIdMax, static_cast<unsigned>(kNoActiveMacro));
    std::fputs(kLaunchOptionsHelp, stdout);
}

std::string Pad(std::string s, size_t n) {
    if (s.size() < n) s.append(n - s.size(), ' ');
    return s;
}

int Fail(AppContext& ctx) {
    ctx.ShowPrinterError();
    return kExitPrinter;
}

// The flash listing as JSON: the fonts and the macros, numbered from 1 as the lines are.
std::string FlashJson(const AppContext& ctx, const std::vector<FlashFontEntry>& fonts,
                      const std::vector<uint16_t>& macros) {
    std::vector<std::string> fontItems, macroItems;
    for (size_t i = 0; i < fonts.size(); ++i)
        fontItems.push_back(JsonObject()
                                .AddNumber("number", i + 1)
                                .AddNumber("id", fonts[i].fontId)
                                .AddString("name", FontName(fonts[i]))
                                .AddString("symbolSet", FontSymbolSet(fonts[i]))
                                .Text());
    for (size_t i = 0; i < macros.size(); ++i)
        macroItems.push_back(JsonObject()
                                 .AddNumber("number", i + 1)
                                 .AddNumber("id", macros[i])
                                 .AddBool("active", macros[i] == ActiveMacroId(ctx))
                                 .Text());
    return JsonObject().AddJson("fonts", JsonArray(fontItems)).AddJson("macros", JsonArray(macroItems)).Text();
}

std::string Counted(size_t n, bool macro) {
    return std::to_string(n) + (macro ? " macro" : " font") + (n == 1 ? "" : "s");
}

// What a listing cut short says of itself, or "" for a whole one.
std::string CutText(const std::optional<ListedIds>& list, bool macro) {
    if (!list || list->Complete()) return {};
    return std::string("the ") + (macro ? "macro" : "font") +
           " listing is incomplete: " + std::to_string(list->ids.size()) + " of " +
           Counted(list->announced, macro) + " arrived";
}

std::string Described(const FlashMiss& m, uint16_t id) {
    const std::string entry = std::string(m.macro ? "macro " : "font ") + std::to_string(m.value);
    switch (m.kind) {
    case FlashMiss::Kind::NotListed:
        return entry + " is not listed";
    case FlashMiss::Kind::StillListed:
        return entry + " is still listed";
    case FlashMiss::Kind::NotEmpty:
        return Counted(m.value, m.macro) + (m.value == 1 ? " is" : " are") + " still listed";
    case FlashMiss::Kind::NotActive:
        return id == kNoActiveMacro ? entry + " is still active"
                                    : "macro " + std::to_string(id) + " is not active";
    }
    return {};
}

int ListFlash(AppContext& ctx, bool json) {
    std::optional<FlashListing> listing;
    {
        PortHold port(ctx);
        if (!port.Held()) return kExitPrinter;
        if (!(listing = RefreshFlashLists(ctx, kFlashFonts | kFlashMacros))) return Fail(ctx);
    }
    const std::vector<FlashFontEntry> fonts = FlashFonts(ctx);
    const std::vector<uint16_t>& macros = listing->macros->ids;
    if (json) {
        Out(FlashJson(ctx, fonts, macros));
    } else {
        Out("fonts: " + std::to_string(fonts.size()));
        for (size_t i = 0; i < fonts.size(); ++i)
            Out(Pad(std::to_string(i + 1), 4) + Pad(std::to_string(fonts[i].fontId), 7) +
                Pad(TerminalName(FontName(fonts[i])), 22) + TerminalName(FontSymbolSet(fonts[i])));
        Out("macros: " + std::to_string(macros.size()));
        for (size_t i = 0; i < macros.size(); ++i)
            Out(Pad(std::to_string(i + 1), 4) + std::to_string(macros[i]) +
                (macros[i] == ActiveMacroId(ctx) ? " *" : ""));
    }
    // What arrived is shown; a list cut short is not passed off as the whole.
    int status = kExitOk;
    for (const std::string& cut : {CutText(listing->fonts, false), CutText(listing->macros, true)})
        if (!cut.empty()) {
            Err(cut);
            status = kExitPrinter;
        }
    return status;
}

// Lists again what the action changed: 0 when the printer shows the change, 3 when it shows
// otherwise (named), 1 when the listing could not be read or arrived too short to tell.
int Confirm(AppContext& ctx, FlashAction action, uint16_t id) {
    PortHold port(ctx);
    if (!port.Held()) return kExitPrinter;
    const std::optional<FlashListing> listing = RefreshFlashLists(ctx, PartsOf(action));
    if (!listing) {
        // The job went out; only its outcome is unknown.
        ctx.ShowPrinterError();
        Err("the job was sent, but what the printer holds could not be read back");
        return kExitPrinter;
    }
    const FlashCheck check = CheckFlashChange(action, id, *listing);
    if (!check.misses.empty()) {
        std::string what;
        for (const FlashMiss& m : check.misses)
            what += (what.empty() ? "" : "; ") + Described(m, id);
        Err("the printer did not take it: " + what);
        return kExitRefused;
    }
    if (!check.undecided) return kExitOk;
    for (const std::string& cut : {CutText(listing->fonts, false), CutText(listing->macros, true)})
        if (!cut.empty()) Err(cut + ", so it does not show whether the printer took it");
    return kExitPrinter;
}

int ListForms(AppContext& ctx, bool json) {
    ListingShape shape;
    {
        PortHold port(ctx);
        if (!port.Held()) return kExitPrinter;
        if (!QueryFormInfo(ctx, &shape)) return Fail(ctx);
    }
    const auto& forms = ctx.store.formList;
    if (json) {
        std::vector<std::string> items;
        for (size_t i = 0; i < forms.size(); ++i)
            items.push_back(JsonObject()
                                .AddNumber("number", i + 1)
                                .AddString("name", FormName(forms[i]))
                                .AddNumber("size", forms[i].size)
                                .Text());
        Out(JsonObject().AddJson("forms", JsonArray(items)).Text());
    } else {
        Out("forms: " + std::to_string(forms.size()));
        for (size_t i = 0; i < forms.size(); ++i)
            Out(Pad(std::to_string(i + 1), 4) + Pad(TerminalName(FormName(forms[i])), 40) +
                std::to_string(forms[i].size));
    }
    if (shape.Complete()) return kExitOk;
    Err("the printer's form listing came incomplete: " + std::to_string(shape.taken) + " of " +
        std::to_string(shape.promised) + " forms arrived whole");
    return kExitPrinter;
}

// After a PostScript storage action, the listing says whether it was done.
int Confirmed(AppContext& ctx, const std::function<ListingCheck<std::string>()>& list, const char* how) {
    PortHold port(ctx);
    if (!port.Held()) return kExitPrinter;
    const ListingCheck<std::string> check = list();
    std::string names;
    for (const std::string& n : check.contrary)
        names += (names.empty() ? "" : ", ") + TerminalName(n);
    switch (check.verdict) {
    case Listed::Confirmed:
        return kExitOk;
    case Listed::NotTaken:
        Err("the printer did not take it: " + names + (check.contrary.size() > 1 ? " are " : " is ") + how);
        return kExitRefused;
    case Listed::Incomplete:
        Err("the printer's listing came incomplete: it does not show the action done");
        return kExitPrinter;
    case Listed::Unread:
        break;
    }
    return Fail(ctx);
}

// confirm: the flash action the download is, checked against the listing once it was sent.
int Download(AppContext& ctx, const std::string& path, const std::string& header,
             std::optional<std::string_view> trailer, unsigned waitAfter,
             std::optional<FlashAction> confirm = std::nullopt, int id = 0) {
    PortHold port(ctx);
    if (!port.Held()) return kExitPrinter;
    SendObserver observer;
    int shown = -1;
    observer.onChunk = [&shown](uint64_t sent, uint64_t size, int percent) {
        // A line per ten percent is enough to see it move.
        if (percent / 10 == shown / 10 && percent != 100) return;
        shown = percent;
        std::fprintf(stderr, "tavctl: %llu of %llu bytes (%d %%)\n", static_cast<unsigned long long>(sent),
                     static_cast<unsigned long long>(size), percent);
    };
    const SendResult r = SendFile(ctx, path, header, trailer, observer);
    if (waitAfter) ctx.ui.Wait(waitAfter);
    switch (r.status) {
    case SendStatus::Complete:
        Out("sent " + std::to_string(r.sent) + " bytes");
        if (!confirm) return kExitOk;
        return Confirm(ctx, *confirm,
                       *confirm == FlashAction::AddFont ? StoredFontId(path, static_cast<uint16_t>(id))
                                                        : static_cast<uint16_t>(id));
    case SendStatus::OpenFailed:
        Err("cannot open " + Visible(path, true));
        return kExitUsage;
    case SendStatus::TooLarge:
        Err(Visible(path, true) + " is 2 GiB or larger");
        return kExitUsage;
    case SendStatus::ReadFailed:
        Err("could not read " + Visible(path, true) + " to its end");
        return kExitPrinter;
    case SendStatus::NoMemory:
        Err("not enough memory");
        return kExitPrinter;
    case SendStatus::HeaderShort:
    case SendStatus::ChunkShort:
    case SendStatus::TrailerShort:
        Err("the transfer of " + Visible(path, true) + " broke off: " + HandedToLinkText(r.handed, r.size) +
            "; the printer may hold part of it, send it again");
        return Fail(ctx);
    }
    return kExitPrinter;
}

// A destructive or immediate flash job: the question, the job, its wait, and for the flash
// actions the listing that shows whether the printer did it.
int Job(AppContext& ctx, FlashJob job, int id, bool reportFailure,
        std::optional<FlashAction> confirm = std::nullopt) {
    PortHold port(ctx);
    if (!port.Held()) return kExitPrinter;
    const auto uid = static_cast<uint16_t>(id);
    // The listing afterwards cannot tell a delete from an entry that was never there: ask first.
    if (confirm == FlashAction::DeleteFont || confirm == FlashAction::DeleteMacro) {
        const std::optional<FlashListing> listing = RefreshFlashLists(ctx, PartsOf(*confirm));
        if (!listing) return Fail(ctx);
        if (CheckFlashChange(*confirm, uid, *listing).Taken()) {
            Err(std::string("the printer holds no ") +
                (*confirm == FlashAction::DeleteMacro ? "macro " : "font ") + std::to_string(id) +
                "; nothing was sent");
            return kExitUsage;
        }
    }
    if (!ConfirmFlashJob(ctx, job)) {
        Err("nothing was changed");
        return kExitUsage;
    }
    WaitCursor cursor(ctx.ui);
    if (RunFlashJob(ctx, job, id)) return confirm ? Confirm(ctx, *confirm, uid) : kExitOk;
    if (reportFailure) return Fail(ctx);
    Err("the printer did not take the job");
    return kExitPrinter;
}

int MacroOn(AppContext& ctx, int id) {
    if (id == ActiveMacroId(ctx)) {
        Out("macro " + std::to_string(id) + " is already active");
        return kExitOk;
    }
    return Job(ctx, FlashJob::MacroId, id, true, FlashAction::SetActiveMacro);
}

} // namespace

bool IsFlashCommand(const std::string& command) {
    return command == "flash" || command == "psforms" || command == "psflash";
}

std::optional<FlashRequest> ParseFlashRequest(const std::string& command,
                                              const std::vector<std::string>& args, std::string* why) {
    auto fail = [&](const std::string& text) -> std::optional<FlashRequest> {
        *why = text;
        return std::nullopt;
    };
    if (args.empty()) return fail(command + " needs an action (tavctl " + command + " --help)");
    const ActionDef* desc = nullptr;
    for (const ActionDef& a : kActions)
        if (command == a.command && args[0] == a.action) desc = &a;
    if (!desc) return fail("unknown action \"" + Visible(args[0], true) + "\" for " + command);
    FlashRequest r{command, desc->action, {}, 0, desc->destructive};
    std::vector<std::string> rest(args.begin() + 1, args.end());
    if (const auto json = std::find(rest.begin(), rest.end(), "--json"); r.action == "list" && json != rest.end()) {
        r.json = true;
        rest.erase(json);
    }
    const std::string form = desc->args;
    const size_t want = form.empty() ? 0 : (form == "FILE ID" ? 2 : 1);
    if (rest.size() != want)
        return fail(command + " " + desc->action + (form.empty() ? " takes no arguments" : " needs " + form));
    size_t at = 0;
    if (form.rfind("FILE", 0) == 0) {
        std::error_code ec;
        const std::filesystem::path p = std::filesystem::absolute(rest[at++], ec);
        r.file = ec ? rest[0] : p.string();
        // The path stands in a PJL line of the form download; a control character would end it.
        if (!IsPjlLineSafe(r.file))
            return fail("the file name \"" + Visible(r.file, true) + "\" holds a control character");
        const std::optional<uint64_t> size = FileSizeForSend(r.file);
        if (!size) return fail("cannot open " + Visible(r.file, true));
        if (*size >= kSendSizeLimit) return fail(Visible(r.file, true) + " is 2 GiB or larger");
        // An empty form is a form; an empty font or macro is nothing the printer can store.
        if (*size == 0 && command == "flash")
            return fail(Visible(r.file, true) + " is empty: nothing to store");
    }
    if (form.find("ID") != std::string::npos) {
        const std::optional<int> id = ParseDownloadId(rest[at]);
        if (!id || !IsFlashId(*id))
            return fail("\"" + Visible(rest[at], true) + "\" is not an ID (0 to " +
                        std::to_string(kFlashIdMax) + ")");
        r.id = *id;
    }
    return r;
}

int RunFlashRequest(AppContext& ctx, const FlashRequest& q) {
    if (q.command == "flash") {
        if (q.action == "list") return ListFlash(ctx, q.json);
        if (q.action == "add-font")
            return Download(ctx, q.file, FontDownloadHeader(q.id), std::nullopt, kFlashDownloadWaitMs,
                            FlashAction::AddFont, q.id);
        if (q.action == "add-macro")
            return Download(ctx, q.file, MacroDownloadHeader(q.id), MacroDownloadTrailer(),
                            kFlashDownloadWaitMs, FlashAction::AddMacro, q.id);
        if (q.action == "rm-font") return Job(ctx, FlashJob::DeleteFont, q.id, true, FlashAction::DeleteFont);
        if (q.action == "rm-macro")
            return Job(ctx, FlashJob::DeleteMacro, q.id, true, FlashAction::DeleteMacro);
        if (q.action == "rm-fonts")
            return Job(ctx, FlashJob::DeleteFontAll, 0, true, FlashAction::DeleteFonts);
        if (q.action == "rm-macros")
            return Job(ctx, FlashJob::DeleteMacroAll, 0, true, FlashAction::DeleteMacros);
        if (q.action == "rm-all") return Job(ctx, FlashJob::DeleteAll, 0, true, FlashAction::DeleteAll);
        if (q.action == "macro-on") return MacroOn(ctx, q.id);
        if (q.action == "macro-off")
            return Job(ctx, FlashJob::MacroId, kNoActiveMacro, true, FlashAction::SetActiveMacro);
    } else if (q.command == "psforms") {
        if (q.action == "list") return ListForms(ctx, q.json);
        if (q.action == "add") {
            const std::optional<uint64_t> size = FileSizeForSend(q.file);
            const std::optional<std::string> header = size ? FormDownloadHeader(q.file, *size) : std::nullopt;
            if (!header) {
                Err("cannot send " + Visible(q.file, true));
                return kExitUsage;
            }
            if (int s = Download(ctx, q.file, *header, std::nullopt, 0); s != kExitOk) return s;
            return Confirmed(ctx, [&] { return ConfirmFormStored(ctx, q.file); }, "not in its listing");
        }
        if (q.action == "rm-all") {
            if (int s = Job(ctx, FlashJob::DeletePsFormAll, 0, true); s != kExitOk) return s;
            return Confirmed(ctx, [&] { return ConfirmFlashErased(ctx, false); }, "still in its listing");
        }
    } else if (q.command == "psflash" && q.action == "format") {
        if (int s = Job(ctx, FlashJob::FormatFlash, 0, false); s != kExitOk) return s;
        return Confirmed(ctx, [&] { return ConfirmFlashErased(ctx, true); }, "still in its listing");
    }
    return kExitUsage;
}

int RunFlashCommands(const LaunchOptions& options, const std::string& command,
                     const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--help") {
            Help(command);
            return kExitOk;
        }
    std::string why;
    const std::optional<FlashRequest> request = ParseFlashRequest(command, args, &why);
    if (!request) {
        Err(why);
        return kExitUsage;
    }
    if (request->destructive && !options.yes) {
        Err(command + " " + request->action + " erases from the printer's flash; add --yes to do it");
        return kExitUsage;
    }
    const std::optional<Launch> launch = Launch::Prepare(options);
    if (!launch) return kExitUsage;
    CliUiHost ui(options.yes);
    return launch->Run(ui, command, [&](AppContext& ctx) { return RunFlashRequest(ctx, *request); });
}

} // namespace tav::cli
