#include "cli/FlashCommands.h"

#include <cstdio>
#include <filesystem>

#include "cli/Launcher.h"
#include "cli/Output.h"
#include "pjl/Pjl.h"
#include "pjl/Resolution.h"
#include "pjl/SettingsRecord.h"
#include "platform/Platform.h"
#include "storage/FileSend.h"
#include "storage/FlashCore.h"

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
    {"flash", "list", "", "the flash fonts (No., ID, name, symbol set) and macros (No., ID, * active)",
     false},
    {"flash", "add-font", "FILE ID", "download a PCL soft font under ID (0-99999)", false},
    {"flash", "add-macro", "FILE ID", "download a PCL macro under ID (0-99999)", false},
    {"flash", "rm-font", "ID", "delete one font", true},
    {"flash", "rm-macro", "ID", "delete one macro", true},
    {"flash", "rm-fonts", "", "delete all fonts", true},
    {"flash", "rm-macros", "", "delete all macros", true},
    {"flash", "rm-all", "", "delete all fonts and macros", true},
    {"flash", "macro-on", "ID", "make a macro the one applied to every page", false},
    {"flash", "macro-off", "", "apply no macro", false},
    {"psforms", "list", "", "the PostScript forms in flash (No., name, size)", false},
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
    std::printf("Each action sends what the page's button sends, with its waits (a download waits\n"
                "%u seconds for the printer to store the file). The model's configuration must show the\n"
                "page the command belongs to.\n"
                "Exit status: 0 done, 1 the printer exchange failed or the port is busy, 2 usage error\n"
                "or a page the model does not show, 3 the printer did not make the macro active.\n",
                kFlashDownloadWaitMs / 1000);
    std::fputs(kLaunchOptionsHelp, stdout);
}

// Names come from the printer as bytes; anything but plain ASCII is written as an escape so a
// garbled reply cannot upset the terminal.
std::string Printable(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

std::string Pad(std::string s, size_t n) {
    if (s.size() < n) s.append(n - s.size(), ' ');
    return s;
}

int Fail(AppContext& ctx) {
    ctx.ShowPrinterError();
    return kExitPrinter;
}

int ListFlash(AppContext& ctx) {
    std::optional<std::vector<uint16_t>> macros;
    {
        PortHold port(ctx);
        if (!port.Held()) return kExitPrinter;
        if (!QueryFontInfo(ctx) || !(macros = QueryMacroInfo(ctx))) return Fail(ctx);
    }
    const std::vector<FlashFontEntry> fonts = FlashFonts(ctx);
    Out("fonts: " + std::to_string(fonts.size()));
    for (size_t i = 0; i < fonts.size(); ++i)
        Out(Pad(std::to_string(i + 1), 4) + Pad(std::to_string(fonts[i].fontId), 7) +
            Pad(Printable(FontName(fonts[i])), 22) + Printable(FontSymbolSet(fonts[i])));
    Out("macros: " + std::to_string(macros->size()));
    for (size_t i = 0; i < macros->size(); ++i)
        Out(Pad(std::to_string(i + 1), 4) + std::to_string((*macros)[i]) +
            ((*macros)[i] == ActiveMacroId(ctx) ? " *" : ""));
    return kExitOk;
}

int ListForms(AppContext& ctx) {
    {
        PortHold port(ctx);
        if (!port.Held()) return kExitPrinter;
        if (!QueryFormInfo(ctx)) return Fail(ctx);
    }
    const auto& forms = ctx.store.formList;
    Out("forms: " + std::to_string(forms.size()));
    for (size_t i = 0; i < forms.size(); ++i)
        Out(Pad(std::to_string(i + 1), 4) + Pad(Printable(FormName(forms[i])), 40) +
            std::to_string(forms[i].size));
    return kExitOk;
}

int Download(AppContext& ctx, const std::string& path, const std::string& header,
             std::optional<std::string_view> trailer, unsigned waitAfter) {
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
        return kExitOk;
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
        Err("the printer stopped taking the file after " + std::to_string(r.sent) + " of " +
            std::to_string(r.size) + " bytes");
        return Fail(ctx);
    }
    return kExitPrinter;
}

// A destructive or immediate flash job: the question, the job, its wait.
int Job(AppContext& ctx, FlashJob job, int id, bool reportFailure) {
    PortHold port(ctx);
    if (!port.Held()) return kExitPrinter;
    if (!ConfirmFlashJob(ctx, job)) {
        Err("nothing was changed");
        return kExitUsage;
    }
    WaitCursor cursor(ctx.ui);
    if (RunFlashJob(ctx, job, id)) return kExitOk;
    if (reportFailure) return Fail(ctx);
    Err("the printer did not take the job");
    return kExitPrinter;
}

int MacroOn(AppContext& ctx, int id) {
    if (id == ActiveMacroId(ctx)) {
        Out("macro " + std::to_string(id) + " is already active");
        return kExitOk;
    }
    if (int s = Job(ctx, FlashJob::MacroId, id, true); s != kExitOk) return s;
    PortHold port(ctx);
    if (!port.Held() || !QueryPrinterSettings(ctx) || !LoadSettingsRecord(ctx)) return Fail(ctx);
    if (ActiveMacroId(ctx) != id) {
        Err("the printer did not make macro " + std::to_string(id) + " active");
        return kExitRefused;  // it answered, but did not take the value
    }
    return kExitOk;
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
    const std::string form = desc->args;
    const size_t want = form.empty() ? 0 : (form == "FILE ID" ? 2 : 1);
    if (args.size() - 1 != want)
        return fail(command + " " + desc->action + (form.empty() ? " takes no arguments" : " needs " + form));
    size_t at = 1;
    if (form.rfind("FILE", 0) == 0) {
        std::error_code ec;
        const std::filesystem::path p = std::filesystem::absolute(args[at++], ec);
        r.file = ec ? args[1] : p.string();
        // The path stands in a PJL line of the form download; a control character would end it.
        if (!IsPjlLineSafe(r.file))
            return fail("the file name \"" + Visible(r.file, true) + "\" holds a control character");
        const std::optional<uint64_t> size = FileSizeForSend(r.file);
        if (!size) return fail("cannot open " + Visible(r.file, true));
        if (*size >= kSendSizeLimit) return fail(Visible(r.file, true) + " is 2 GiB or larger");
    }
    if (form.find("ID") != std::string::npos) {
        const std::optional<int> id = ParseDownloadId(args[at]);
        if (!id) return fail("\"" + Visible(args[at], true) + "\" is not an ID (0 to 99999)");
        r.id = *id;
    }
    return r;
}

int RunFlashRequest(AppContext& ctx, const FlashRequest& q) {
    if (q.command == "flash") {
        if (q.action == "list") return ListFlash(ctx);
        if (q.action == "add-font")
            return Download(ctx, q.file, FontDownloadHeader(q.id), std::nullopt, kFlashDownloadWaitMs);
        if (q.action == "add-macro")
            return Download(ctx, q.file, MacroDownloadHeader(q.id), MacroDownloadTrailer(),
                            kFlashDownloadWaitMs);
        if (q.action == "rm-font") return Job(ctx, FlashJob::DeleteFont, q.id, true);
        if (q.action == "rm-macro") return Job(ctx, FlashJob::DeleteMacro, q.id, true);
        if (q.action == "rm-fonts") return Job(ctx, FlashJob::DeleteFontAll, 0, true);
        if (q.action == "rm-macros") return Job(ctx, FlashJob::DeleteMacroAll, 0, true);
        if (q.action == "rm-all") return Job(ctx, FlashJob::DeleteAll, 0, true);
        if (q.action == "macro-on") return MacroOn(ctx, q.id);
        if (q.action == "macro-off") return Job(ctx, FlashJob::MacroId, kNoActiveMacro, true);
    } else if (q.command == "psforms") {
        if (q.action == "list") return ListForms(ctx);
        if (q.action == "add") {
            const std::optional<uint64_t> size = FileSizeForSend(q.file);
            const std::optional<std::string> header = size ? FormDownloadHeader(q.file, *size) : std::nullopt;
            if (!header) {
                Err("cannot send " + Visible(q.file, true));
                return kExitUsage;
            }
            return Download(ctx, q.file, *header, std::nullopt, 0);
        }
        if (q.action == "rm-all") return Job(ctx, FlashJob::DeletePsFormAll, 0, true);
    } else if (q.command == "psflash" && q.action == "format") {
        return Job(ctx, FlashJob::FormatFlash, 0, false);
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
