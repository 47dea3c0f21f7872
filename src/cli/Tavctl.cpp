#include "cli/Tavctl.h"

#include <cctype>
#include <cstdio>
#include <functional>
#include <optional>

#include "app/ConfigFiles.h"
#include "app/Startup.h"
#include "cli/FirmwareCommand.h"
#include "cli/FlashCommands.h"
#include "cli/PsfsCommands.h"
#include "cli/SettingNames.h"
#include "pjl/CheckInfo.h"
#include "pjl/Pjl.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Upload.h"
#include "platform/Platform.h"

namespace tav::cli {
namespace {

struct Options {
    std::string home;
    std::string device;
    std::string model;
    bool yes = false;
    bool debug = false;
};

void Out(const std::string& line) { std::fprintf(stdout, "%s\n", line.c_str()); }
void Err(const std::string& line) { std::fprintf(stderr, "tavctl: %s\n", line.c_str()); }

const char* kProgramHelp =
    "Usage: tavctl [OPTIONS] COMMAND [ARGS]\n"
    "Reads and changes the printer's stored defaults as wintav32 does, without a window.\n"
    "\n"
    "Options, before the command:\n"
    "  --home DIR     program folder holding comtav.ini, langinfo.ini, the language file\n"
    "                 and the device library (default: $WINTAV32_HOME, else tavctl's folder)\n"
    "  --model NAME   use the shipped profile models/NAME/comtav.ini (tavctl --model list\n"
    "                 names them); the user's own comtav.ini still applies over it\n"
    "  --device NAME  device name to use instead of Common/DeviceID\n"
    "  --yes          answer Yes to the program's questions (default: No)\n"
    "  --debug        as Common/DebugMsg=1: show the record and the job, write trace lines\n"
    "  --help         this text\n"
    "\n"
    "Commands:\n"
    "  query [--raw]                   the printer's settings, one NAME=value a line\n"
    "  set NAME=VALUE... [--show-job]  change settings and send what differs\n"
    "  default                         return the printer to its factory settings\n"
    "  check                           the consumables and counters report\n"
    "  test-print NAME                 print one of the printer's own pages\n"
    "  firmware FILE --yes             send a firmware file to the printer\n"
    "  flash ACTION [ARGS]             PCL flash fonts and macros (tavctl flash --help)\n"
    "  psforms ACTION [ARGS]           PostScript forms in flash (tavctl psforms --help)\n"
    "  psflash format                  format the PostScript flash (needs --yes)\n"
    "  psfs ACTION [ARGS]              PostScript fonts and forms in memory or on disk (tavctl psfs --help)\n"
    "\n"
    "tavctl COMMAND --help describes a command.\n"
    "Exit status: 0 done, 1 the printer exchange failed, 2 usage error.\n";

const char* kOwnNamesHelp =
    "Fields the printer reports but that are not sent under a PJL name of their own:\n"
    "  FONTNUMBER     the PCL font number (sent as FONTSOURCE and FONTNUMBER)\n"
    "  CUSTOMWIDTH    custom paper width (sent in the PAPER = OTHERS line)\n"
    "  CUSTOMHEIGHT   custom paper height (sent in the PAPER = OTHERS line)\n"
    "  EPSONIBM       Epson (0) or IBM (1) flavour of personality 12 (sent as PERSONALITY)\n"
    "  PCLPAGEVALUE   record index 90, read only\n"
    "  FLASHVALUE     record index 91, read only\n"
    "  MARGINUNIT     0: margins in millimetres, else in inches; read only\n"
    "  FEATUREFLAGS   the printer's capability word, read only\n"
    "  INDEXn         record fields kept but not used (9, 10, 15, 16, 22, 25-29, 52,\n"
    "                 190-194, 199), read only\n";

void CommandHelp(const std::string& command, const TableChoice& tables) {
    if (command == "query") {
        std::fputs("Usage: tavctl [OPTIONS] query [--raw]\n"
                   "Prints the settings the printer reports, one NAME=value a line, in record order.\n"
                   "Names are the PJL variables that set sends; values are the stored numbers\n"
                   "(RESOLUTION as its position in the list set shows). FEATUREFLAGS is printed as 0x and 8 hex digits.\n"
                   "  --raw  also print the hex dump of the printer's reply\n\n",
                   stdout);
        std::fputs(kOwnNamesHelp, stdout);
    } else if (command == "set") {
        std::fputs("Usage: tavctl [OPTIONS] set NAME=VALUE... [--show-job]\n"
                   "Changes the settings, sends every field that now differs from the printer's report\n"
                   "(and RESOLUTION, which every send carries), reads the settings back and prints\n"
                   "those that changed. VALUE is a keyword of the field's list (case does not matter)\n"
                   "or the stored number; #N is always the stored number. RESOLUTION takes a keyword\n"
                   "or a position of the list below, as query shows it. Setting PAPER\n"
                   "sends the paper size; setting CUSTOMWIDTH or CUSTOMHEIGHT sends the custom size.\n"
                   "A name or value that is not known is refused and nothing is sent.\n"
                   "  --show-job  also print the job as sent, ESC, CR and LF written as \\e, \\r, \\n\n\n"
                   "Settings and their keywords (position 0 first):\n",
                   stdout);
        for (const SettingName& f : SettingNames()) {
            if (!f.set) continue;
            std::string line = "  " + std::string(f.name);
            if (f.table) {
                line += ":";
                for (std::string_view w : f.table(tables)) {
                    while (!w.empty() && w.back() == ' ') w.remove_suffix(1);
                    line += " " + std::string(w);
                }
                if (f.extra) line += " (and " + std::to_string(f.table(tables).size()) + ": EPSON or IBM by EPSONIBM)";
            } else {
                line += ": a number of " + std::to_string(8 * f.width) + " bits";
            }
            Out(line);
        }
        std::fputs("\n", stdout);
        std::fputs(kOwnNamesHelp, stdout);
    } else if (command == "default") {
        std::fputs("Usage: tavctl [OPTIONS] default\n"
                   "Returns the printer to its factory settings and prints the settings that changed.\n",
                   stdout);
    } else if (command == "check") {
        std::fputs("Usage: tavctl [OPTIONS] check\n"
                   "Asks for the consumables and counters report and prints each item it filled as\n"
                   "ITEMn=text, n being the item type (23 transfer belt, 24 imaging unit, 25 fuser,\n"
                   "26 pickup roller, 48 multi-purpose tray, 49 tray 1, 50 tray 2 pickup roller).\n",
                   stdout);
    } else if (command == "test-print") {
        std::fputs("Usage: tavctl [OPTIONS] test-print NAME\n"
                   "Prints one of the printer's own pages, e.g. CONFIG, DEMO, MENUMAP, DUPLEXDEMO,\n"
                   "then waits 10 seconds as the printer prints. NAME is letters, digits and '_'.\n",
                   stdout);
    }
}

bool IsPageName(const std::string& name) {
    if (name.empty() || name.size() > 32) return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '_') return false;
    return true;
}

// The hex dump of the reply up to its last non-zero byte: the zero fill says nothing.
void PrintRawReply(const ReplyBuffer& reply) {
    size_t end = reply.size();
    while (end > 0 && reply[end - 1] == 0) --end;
    for (std::string row : HexDumpRows(reply.data(), std::max<size_t>(end, 1))) {
        while (!row.empty() && (row.back() == '\n' || row.back() == '\r')) row.pop_back();
        Out(row);
    }
}

int Query(AppContext& ctx, bool raw) {
    for (const std::string& line : SettingLines(ctx.store.reported)) Out(line);
    if (raw) PrintRawReply(ctx.replyBuffer);
    return kExitOk;
}

// A value as the user would type it: its keyword where the field has one.
std::string Spelled(const Assignment& a, const TableChoice& tables) {
    if (a.field->table)
        if (auto word = KeywordAt(a.field->table(tables), a.value)) {
            std::string w(*word);
            while (!w.empty() && w.back() == ' ') w.pop_back();
            return w;
        }
    return std::to_string(a.value);
}

int Set(AppContext& ctx, const std::vector<Assignment>& edits, bool showJob) {
    const PrinterSettings before = ctx.store.reported;
    for (const Assignment& a : edits) {
        a.field->set(ctx.store.edited, a.value);
        if (a.field->name == "PAPER") ctx.store.paperChanged = true;
        if (a.field->name == "CUSTOMWIDTH" || a.field->name == "CUSTOMHEIGHT") ctx.store.customPaperChanged = true;
    }
    if (!ctx.link.AcquirePort()) return kExitPrinter;
    std::string job;
    int ok;
    {
        WaitCursor cursor(ctx.ui);
        ok = UploadSettings(ctx, &job) && LoadSettingsRecord(ctx);
    }
    if (!ok) ctx.ShowPrinterError();
    ctx.link.ReleasePort();
    if (showJob && !job.empty()) Out(Visible(job, true));
    if (!ok) return kExitPrinter;
    for (const std::string& line : ChangedLines(before, ctx.store.reported)) Out(line);
    // The exchange worked, but a printer may still refuse a value; a script should hear of it.
    for (const Assignment& a : edits)
        if (a.field->get(ctx.store.edited) != a.value)
            Err("the printer did not take " + std::string(a.field->name) + "=" +
                Spelled(a, TableChoice::FromConfig(ctx)));
    return kExitOk;
}

int Default(AppContext& ctx) {
    const PrinterSettings before = ctx.store.reported;
    if (!ctx.link.AcquirePort()) return kExitPrinter;
    ctx.store.customPaperChanged = false;
    int ok;
    {
        WaitCursor cursor(ctx.ui);
        ok = InitializePrinter(ctx) && LoadSettingsRecord(ctx);
    }
    if (!ok) ctx.ShowPrinterError();
    ctx.link.ReleasePort();
    if (!ok) return kExitPrinter;
    for (const std::string& line : ChangedLines(before, ctx.store.reported)) Out(line);
    return kExitOk;
}

int Check(AppContext& ctx) {
    if (!ctx.link.AcquirePort()) return kExitPrinter;
    int ok;
    {
        WaitCursor cursor(ctx.ui);
        ok = GetCheckInfo(ctx);
        if (!ok) ctx.Message(ctx.GetLangText("STRING", "IDS_NOT_RESPOND"), MsgIcon::Error);
        ctx.link.ReleasePort();
    }
    if (!ok) return kExitPrinter;
    ParseCheckInfo(ctx);
    for (unsigned type = 0; type < 256; ++type) {
        const int slot = CheckInfoSlot(type);
        if (slot < 0 || ctx.checkInfo[static_cast<size_t>(slot)].empty()) continue;
        Out("ITEM" + std::to_string(type) + "=" + Visible(ctx.checkInfo[static_cast<size_t>(slot)], true));
    }
    return kExitOk;
}

int TestPrint(AppContext& ctx, const std::string& name) {
    if (!ctx.link.AcquirePort()) return kExitPrinter;
    bool ok;
    {
        WaitCursor cursor(ctx.ui);
        ok = SendTestPrint(ctx, name).has_value();
        if (ok)
            ctx.ui.Wait(10000);  // the printer is busy printing
        else
            ctx.ShowPrinterError();
        ctx.link.ReleasePort();
    }
    return ok ? kExitOk : kExitPrinter;
}

}  // namespace

MsgResult CliUiHost::MessageBox(const std::string& text, const std::string& caption, MsgIcon,
                                MsgButtons buttons) {
    MsgResult answer = MsgResult::Ok;
    const char* said = "";
    switch (buttons) {
    case MsgButtons::Ok: break;
    case MsgButtons::OkCancel:
        answer = m_yes ? MsgResult::Ok : MsgResult::Cancel;
        said = m_yes ? " [OK]" : " [Cancel]";
        break;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        answer = m_yes ? MsgResult::Yes : MsgResult::No;
        said = m_yes ? " [Yes]" : " [No]";
        break;
    }
    // A language file without the title or the text still leaves a line that says something.
    const std::string shownCaption = caption.empty() ? "tavctl" : Visible(caption, true);
    const std::string shownText = text.empty() ? "(the language file has no text for this message)" : Visible(text, false);
    std::fprintf(stderr, "%s: %s%s\n", shownCaption.c_str(), shownText.c_str(), said);
    std::fflush(stderr);
    return answer;
}

std::string Visible(const std::string& text, bool escapeNewlines) {
    std::string out;
    for (unsigned char c : text) {
        if (c == 0x1B) {
            out += "\\e";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += escapeNewlines ? "\\n" : "\n";
        } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int RunTavctl(const std::vector<std::string>& args) {
    Options opt;
    size_t i = 0;
    for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
        const std::string& a = args[i];
        if (a == "--help") {
            std::fputs(kProgramHelp, stdout);
            return kExitOk;
        } else if (a == "--yes") {
            opt.yes = true;
        } else if (a == "--debug") {
            opt.debug = true;
        } else if (a == "--home" || a == "--device" || a == "--model") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                Err(a + " needs a value");
                return kExitUsage;
            }
            (a == "--home" ? opt.home : a == "--device" ? opt.device : opt.model) = args[++i];
            if (a == "--device")
                if (const std::string problem = DeviceNameProblem(opt.device); !problem.empty()) {
                    Err(problem);
                    return kExitUsage;
                }
        } else {
            Err("unknown option " + a + " (tavctl --help)");
            return kExitUsage;
        }
    }
    std::string home = opt.home.empty() ? ProgramFolder() : opt.home;
    if (home.back() != '/') home += '/';
    if (!opt.model.empty() && (opt.model == "list" || ModelProfilePath(home, opt.model).empty())) {
        const std::vector<std::string> models = ShippedModels(home);
        if (opt.model == "list") {
            for (const std::string& m : models) Out(m);
            return kExitOk;
        }
        std::string names;
        for (const std::string& m : models) names += (names.empty() ? "" : ", ") + m;
        Err("no model \"" + Visible(opt.model, true) + "\" in " + home + "models (" +
            (names.empty() ? "none is installed" : "installed: " + names) + ")");
        return kExitUsage;
    }
    if (i >= args.size()) {
        Err("no command given (tavctl --help)");
        return kExitUsage;
    }
    const std::string command = args[i++];
    const std::vector<std::string> rest(args.begin() + static_cast<long>(i), args.end());
    if (command == "firmware") return RunFirmwareCommand(rest, {opt.home, opt.device, opt.yes, opt.debug});
    if (IsFlashCommand(command)) return RunFlashCommands({opt.home, opt.device, opt.yes, opt.debug}, command, rest);
    if (command == "psfs") return RunPsfsCommand({opt.home, opt.device, opt.yes, opt.debug}, rest);
    if (command != "query" && command != "set" && command != "default" && command != "check" &&
        command != "test-print") {
        Err("unknown command \"" + command + "\" (tavctl --help)");
        return kExitUsage;
    }

    CliUiHost ui(opt.yes);
    // A folder given with --home is a home of its own, as WINTAV32_HOME is.
    const std::string userFile = opt.home.empty() ? std::string() : home + "comtav.ini";
    // The model switches that decide what a value means, read before anything is sent.
    AppContext probe(ui);
    probe.cfg.programFolder = home;
    probe.cfg.model = opt.model;
    probe.cfg.userConfigFilePath = userFile;
    ResolveConfigFiles(probe.cfg);
    const TableChoice tables = TableChoice::FromConfig(probe);

    for (const std::string& a : rest)
        if (a == "--help") {
            CommandHelp(command, tables);
            return kExitOk;
        }

    bool raw = false, showJob = false;
    std::vector<Assignment> edits;
    std::string pageName;
    for (const std::string& a : rest) {
        std::string why;
        if (command == "query" && a == "--raw") {
            raw = true;
        } else if (command == "set" && a == "--show-job") {
            showJob = true;
        } else if (command == "set" && a.rfind("--", 0) != 0) {
            auto edit = ParseAssignment(a, tables, probe.IsKalor() ? 68 : 54, &why);
            if (!edit) {
                Err(why);
                return kExitUsage;
            }
            edits.push_back(*edit);
        } else if (command == "test-print" && pageName.empty() && a.rfind("--", 0) != 0) {
            if (!IsPageName(a)) {
                Err("\"" + Visible(a, true) + "\" is not a page name (letters, digits and '_')");
                return kExitUsage;
            }
            pageName = a;
        } else {
            Err("unexpected \"" + Visible(a, true) + "\" for " + command + " (tavctl " + command + " --help)");
            return kExitUsage;
        }
    }
    if (command == "set" && edits.empty()) {
        Err("set needs at least one NAME=VALUE (tavctl set --help)");
        return kExitUsage;
    }
    if (command == "test-print" && pageName.empty()) {
        Err("test-print needs a page name (tavctl test-print --help)");
        return kExitUsage;
    }

    int status = kExitPrinter;
    StartupHooks hooks;
    hooks.requireLanguage = false;
    hooks.bindLibraries = [&](AppContext& ctx) {
        // Start-up has just read Common/DebugMsg; the option counts as that key set to 1.
        if (opt.debug) ctx.cfg.debugMsg = 1;
        return ctx.link.Bind(ctx.cfg.twoLibraryMode, ctx.cfg.programFolder);
    };
    hooks.loadSettingsRecord = [](AppContext& ctx) { return LoadSettingsRecord(ctx); };
    hooks.runMainWindow = [&](AppContext& ctx) {
        if (command == "query")
            status = Query(ctx, raw);
        else if (command == "set")
            status = Set(ctx, edits, showJob);
        else if (command == "default")
            status = Default(ctx);
        else if (command == "check")
            status = Check(ctx);
        else
            status = TestPrint(ctx, pageName);
    };
    Application app(ui, hooks);
    app.Context().cfg.deviceOverride = opt.device;
    app.Context().cfg.model = opt.model;
    app.Context().cfg.userConfigFilePath = userFile;
    const StartupOutcome outcome = app.InitInstance(home);
    switch (outcome) {
    case StartupOutcome::Ran: break;
    case StartupOutcome::LibraryMissing:
        Err(std::string("cannot load the device library ") +
            (app.Context().cfg.twoLibraryMode ? "libqvdevm.so or libqvdevms.so" : "libqvdevm.so") + " (from " +
            home + " or the system's library path)");
        break;
    case StartupOutcome::AlreadyRunning: Err("another copy of the program is running"); break;
    case StartupOutcome::BadDeviceName:
    case StartupOutcome::LanguageMissing: app.ExitInstance(); return kExitUsage;  // start-up has said why
    default: break;  // start-up has shown its own message
    }
    app.ExitInstance();
    return outcome == StartupOutcome::Ran ? status : kExitPrinter;
}

}  // namespace tav::cli
