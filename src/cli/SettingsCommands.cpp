#include "cli/SettingsCommands.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <fstream>

#include "cli/BackupFile.h"
#include "cli/Output.h"
#include "cli/SettingLimits.h"
#include "cli/SettingNames.h"
#include "pages/PaperModel.h"
#include "pages/TestPrints.h"
#include "pjl/CheckInfo.h"
#include "pjl/Pjl.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Upload.h"
#include "platform/Platform.h"

namespace tav::cli {
namespace {

// The commands this file runs, in the order the program help lists them.
const char* const kSettingsCommands[] = {"query",      "set",    "default", "check",
                                         "test-print", "backup", "restore"};

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

// Every settable field with its keywords or range, as set --help lists them.
void PrintSettingList(const TableChoice& tables, const AppContext& probe) {
    for (const SettingField* field : FieldsInRecordOrder()) {
        const SettingField& f = *field;
        if (!f.Settable()) continue;
        std::string line = "  " + std::string(f.name);
        if (f.table) {
            line += ":";
            for (std::string_view w : f.table(tables)) {
                while (!w.empty() && w.back() == ' ')
                    w.remove_suffix(1);
                line += " " + std::string(w);
            }
            if (f.extra)
                line += " (and " + std::to_string(f.table(tables).size()) + ": EPSON or IBM by EPSONIBM)";
        } else if (const auto range = RangeOf(f, PrinterSettings{}, probe)) {
            line += ": " + range->shown;
            if (f.limit == FieldLimit::TopMargin || f.limit == FieldLimit::LeftMargin)
                line += " for the paper and unit set (this is A4, portrait, mm)";
        } else {
            line += ": a number of " + std::to_string(8 * f.width) + " bits";
        }
        Out(line);
    }
}

void CommandHelp(const std::string& command, const TableChoice& tables, const AppContext& probe) {
    if (command == "query") {
        std::fputs(
            "Usage: tavctl [OPTIONS] query [--raw] [--numeric] [--json]\n"
            "Prints the settings the printer reports, one NAME=value a line, in record order.\n"
            "Names are the PJL variables that set sends; a value is the keyword where the field\n"
            "has a list (tavctl set --help), #N for a stored number the list does not spell, else\n"
            "the number. The output fed back to set changes nothing. FEATUREFLAGS is printed as\n"
            "0x and 8 hex digits.\n"
            "  --raw      also print the hex dump of the printer's reply\n"
            "  --numeric  print the stored numbers: #N for a field with a list, so set reads them back\n"
            "  --json     print one JSON object, NAME: value; a field with a list and FEATUREFLAGS\n"
            "             are strings, every other field a number (with --numeric all are numbers)\n",
            stdout);
        std::fputs(kLaunchOptionsHelp, stdout);
        std::fputs("\n", stdout);
        std::fputs(kOwnNamesHelp, stdout);
    } else if (command == "set") {
        std::fputs("Usage: tavctl [OPTIONS] set NAME=VALUE... [--show-job]\n"
                   "Changes the settings, sends every field that now differs from the printer's report\n"
                   "(and RESOLUTION, which every send carries), reads the settings back and prints\n"
                   "those that changed. VALUE is written as query prints it: a keyword of the field's\n"
                   "list (case does not matter) where it has one, else a number; #N is the stored\n"
                   "number N, any the record can hold. A PAPER that differs sends the paper line; the\n"
                   "custom size goes only with PAPER=CUSTOM.\n"
                   "A name or value that is not known, a change to a number past the field's list or\n"
                   "outside the range the pages allow, is refused (exit 2) and nothing is sent; the\n"
                   "printer's own value always passes. A range that needs no printer is checked even\n"
                   "when the printer cannot be reached.\n"
                   "  --show-job  also print the job as sent, ESC, CR and LF written as \\e, \\r, \\n\n",
                   stdout);
        std::fputs(kLaunchOptionsHelp, stdout);
        std::fputs("\nSettings and their keywords (position 0 first):\n", stdout);
        PrintSettingList(tables, probe);
        std::fputs("\n", stdout);
        std::fputs(kOwnNamesHelp, stdout);
    } else if (command == "default") {
        std::fputs("Usage: tavctl [OPTIONS] default\n"
                   "Returns the printer to its factory settings and prints the settings that changed.\n",
                   stdout);
        std::fputs(kLaunchOptionsHelp, stdout);
    } else if (command == "check") {
        std::fputs("Usage: tavctl [OPTIONS] check [--json]\n"
                   "Asks for the consumables and counters report and prints each item it filled as\n"
                   "ITEMn=text, n being the item type (23 transfer belt, 24 imaging unit, 25 fuser,\n"
                   "26 pickup roller, 48 multi-purpose tray, 49 tray 1, 50 tray 2 pickup roller).\n"
                   "  --json  print one JSON object, ITEMn: text\n",
                   stdout);
        std::fputs(kLaunchOptionsHelp, stdout);
    } else if (command == "test-print") {
        std::fputs("Usage: tavctl [OPTIONS] test-print NAME\n"
                   "Prints one of the printer's own pages that the model's configuration lists ([TEST]:\n"
                   "SelfTest CONFIG, Demo DEMO, MenuMAP MENUMAP, 2SideDemo DUPLEXDEMO), then waits\n"
                   "10 seconds as the printer prints.\n",
                   stdout);
        std::fputs(kLaunchOptionsHelp, stdout);
    } else if (command == "backup") {
        std::fputs("Usage: tavctl [OPTIONS] backup FILE\n"
                   "Writes the printer's stored defaults to FILE as an INI file: one NAME = value a line\n"
                   "under [Settings], spelled as query prints them, the model, the device and the date in\n"
                   "comments.\n"
                   "Read-only fields are left out.\n",
                   stdout);
        std::fputs(kLaunchOptionsHelp, stdout);
    } else if (command == "restore") {
        std::fputs("Usage: tavctl [OPTIONS] restore FILE [--show-job]\n"
                   "Sends the settings of a backup FILE that differ from the printer's, as one Send, once\n"
                   "every value has been checked as set checks it (a bad value: exit 2, nothing sent).\n"
                   "The file is read by the INI rules (section and names in any case, ; comments); one\n"
                   "with no setting to restore is refused (exit 2). Names this model does not have, and\n"
                   "keywords its lists do not hold, are skipped and named on standard error, and so is a\n"
                   "custom size that differs while the paper is not CUSTOM.\n"
                   "  --show-job  also print the job as sent\n",
                   stdout);
        std::fputs(kLaunchOptionsHelp, stdout);
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
    while (end > 0 && reply[end - 1] == 0)
        --end;
    for (std::string row : HexDumpRows(reply.data(), std::max<size_t>(end, 1))) {
        while (!row.empty() && (row.back() == '\n' || row.back() == '\r'))
            row.pop_back();
        Out(row);
    }
}

// The settings as one JSON object: each field always of one type, a string where it has a list
// (and FEATUREFLAGS, in hex), else a number; numeric: every field its stored number.
void OutJson(const PrinterSettings& s, const TableChoice& tables, bool numeric) {
    JsonObject json;
    for (const SettingField* f : FieldsInRecordOrder()) {
        const uint32_t v = f->get(s);
        if (numeric || (!f->table && f->index != kFeatureFlagsIndex))
            json.AddNumber(f->name, v);
        else
            json.AddString(f->name, ValueText(*f, v, tables, false));
    }
    Out(json.Text());
}

int Query(AppContext& ctx, bool raw, bool numeric, bool json) {
    const TableChoice tables = TableChoice::FromConfig(ctx);
    if (json) {
        OutJson(ctx.store.reported, tables, numeric);
        return kExitOk;
    }
    for (const std::string& line : SettingLines(ctx.store.reported, tables, numeric))
        Out(line);
    if (raw) PrintRawReply(ctx.replyBuffer);
    return kExitOk;
}

// A value as the user would type it back.
std::string Spelled(const Assignment& a, const TableChoice& tables) {
    return ValueText(*a.field, a.value, tables, false);
}

// A read-only field named on the command line, as query's output fed back names them all.
struct ReadOnlyValue {
    const SettingField* field;
    std::string text;
};

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// What a settings command was asked for on its command line, checked before the printer is reached.
struct SettingsRequest {
    bool raw = false, numeric = false, json = false;
    std::vector<Assignment> edits;
    std::vector<ReadOnlyValue> fixed;
    std::string pageName, file;
    bool showJob = false;
    bool restoring = false; // the edits come from a backup
};

// The resident fonts, which the font number may name without a flash listing.
uint32_t ResidentFonts(const AppContext& ctx) {
    return ctx.IsKalor() ? 68 : 54;
}

// The printer's own value is accepted (it changes nothing); another one cannot be sent.
bool ReadOnlyValuesMatch(const std::vector<ReadOnlyValue>& fixed, const PrinterSettings& before,
                         const TableChoice& tables) {
    bool match = true;
    for (const ReadOnlyValue& r : fixed) {
        const std::string current = ValueText(*r.field, r.field->get(before), tables, false);
        if (Upper(r.text) != Upper(current) &&
            r.text != ValueText(*r.field, r.field->get(before), tables, true)) {
            Err(std::string(r.field->name) + " is read only (the printer reports " + current + ")");
            match = false;
        }
    }
    return match;
}

// The custom size goes to the printer only with the custom paper, as the window sends it: set is
// refused a size that could not go, restore leaves it as the printer has it (*left) and says so.
bool CustomSizeFits(AppContext& ctx, const PrinterSettings& before, bool restoring, bool* left) {
    PrinterSettings& ed = ctx.store.edited;
    if (IsCustomPaperCode(ctx, ed.paper) ||
        (ed.customWidth == before.customWidth && ed.customHeight == before.customHeight))
        return true;
    const std::string paper = ValueText(*FindField("PAPER"), ed.paper, TableChoice::FromConfig(ctx), false);
    if (!restoring) {
        Err("the custom size goes to the printer only with PAPER=CUSTOM (the paper would be " + paper + ")");
        return false;
    }
    Err("CUSTOMWIDTH and CUSTOMHEIGHT not restored: the custom size goes only with PAPER=CUSTOM (the paper "
        "is " +
        paper + ")");
    ed.customWidth = before.customWidth;
    ed.customHeight = before.customHeight;
    *left = true;
    return true;
}

// Why each edit that changes the printer cannot be sent, said on standard error; true when none.
// The ranges hang on the other values (the margins on the paper and the unit), so every edit is
// in place first; the printer's own value passes even outside them, as it is not sent.
bool EditsCanBeSent(const AppContext& ctx, const std::vector<Assignment>& edits,
                    const PrinterSettings& before, const TableChoice& tables) {
    bool fine = true;
    for (const Assignment& a : edits) {
        // What goes out is what the store holds now (an edit left out is as the printer has it).
        const uint32_t value = a.field->get(ctx.store.edited);
        if (a.field->get(before) == value) continue;
        std::string why = ListProblem(*a.field, value, tables, ResidentFonts(ctx));
        if (why.empty()) why = LimitProblem(*a.field, value, ctx.store.edited, ctx);
        if (!why.empty()) {
            Err(why);
            fine = false;
        }
    }
    return fine;
}

// The upload and its read-back, the port held around both. Status and what went wrong said.
int SendAndReadBack(AppContext& ctx, const SettingsRequest& rq, const CliUiHost& ui) {
    if (!ctx.link.AcquirePort()) return kExitPrinter;
    std::string job;
    int ok;
    {
        WaitCursor cursor(ctx.ui);
        ok = UploadSettings(ctx, &job);
        if (ok) ok = LoadSettingsRecord(ctx);
    }
    if (!ok && ui.Declined()) {
        ctx.link.ReleasePort();
        Err("nothing sent");
        return kExitUsage;
    }
    // The job is kept only once all of it was written: then the printer has it, whatever the
    // read-back brought.
    if (!ok && !job.empty())
        ctx.Message(ctx.PrinterFailureText("IDS_SENT_NOREAD"), MsgIcon::Error);
    else if (!ok)
        ctx.ShowPrinterError();
    ctx.link.ReleasePort();
    if (rq.showJob && !job.empty()) Out(Visible(job, true));
    return ok ? kExitOk : kExitPrinter;
}

int Set(AppContext& ctx, const SettingsRequest& rq, const CliUiHost& ui) {
    const PrinterSettings before = ctx.store.reported;
    const TableChoice tables = TableChoice::FromConfig(ctx);
    bool fine = ReadOnlyValuesMatch(rq.fixed, before, tables);
    for (const Assignment& a : rq.edits)
        a.field->set(ctx.store.edited, a.value);
    bool customLeft = false;
    fine = CustomSizeFits(ctx, before, rq.restoring, &customLeft) && fine;
    fine = EditsCanBeSent(ctx, rq.edits, before, tables) && fine;
    if (!fine) {
        Err("nothing sent");
        return kExitUsage;
    }
    // The paper lines go out only for a paper or custom size that differs, so feeding query's
    // output back sends nothing.
    const PrinterSettings& ed = ctx.store.edited;
    ctx.store.paperChanged = ed.paper != before.paper;
    ctx.store.customPaperChanged =
        IsCustomPaperCode(ctx, ed.paper) && (ctx.store.paperChanged || ed.customWidth != before.customWidth ||
                                             ed.customHeight != before.customHeight);
    if (const int status = SendAndReadBack(ctx, rq, ui); status != kExitOk) return status;
    for (const std::string& line : ChangedLines(before, ctx.store.reported, tables, false))
        Out(line);
    // The exchange worked, but a printer may still refuse a value; a script should hear of it.
    int status = kExitOk;
    for (const Assignment& a : rq.edits) {
        if (a.field->get(ctx.store.edited) == a.value) continue;
        const bool customSize =
            a.field->limit == FieldLimit::CustomWidth || a.field->limit == FieldLimit::CustomHeight;
        if (customLeft && customSize) continue; // not sent, and said so
        Err("the printer did not take " + std::string(a.field->name) + "=" + Spelled(a, tables));
        status = kExitRefused;
    }
    return status;
}

int Backup(AppContext& ctx, const std::string& file) {
    char date[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    if (gmtime_r(&now, &utc)) std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S UTC", &utc);
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << BackupText(ctx, date);
    out.close();
    if (!out) {
        Err("cannot write " + Visible(file, true));
        return kExitUsage;
    }
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
    for (const std::string& line :
         ChangedLines(before, ctx.store.reported, TableChoice::FromConfig(ctx), false))
        Out(line);
    return kExitOk;
}

int Check(AppContext& ctx, bool json) {
    if (!ctx.link.AcquirePort()) return kExitPrinter;
    int ok;
    {
        WaitCursor cursor(ctx.ui);
        ok = GetCheckInfo(ctx);
        if (!ok) ctx.Message(ctx.PrinterFailureText("IDS_NOT_RESPOND"), MsgIcon::Error);
        ctx.link.ReleasePort();
    }
    if (!ok) return kExitPrinter;
    ParseCheckInfo(ctx);
    JsonObject items;
    for (unsigned type = 0; type < 256; ++type) {
        const int slot = CheckInfoSlot(type);
        if (slot < 0 || ctx.checkInfo[static_cast<size_t>(slot)].empty()) continue;
        // The JSON strings carry the printer's text with JSON's own escapes; the lines, terminal-safe.
        const std::string& text = ctx.checkInfo[static_cast<size_t>(slot)];
        const std::string name = "ITEM" + std::to_string(type);
        if (json)
            items.AddString(name, text);
        else
            Out(name + "=" + Visible(text, true));
    }
    if (json) Out(items.Text());
    return kExitOk;
}

int TestPrint(AppContext& ctx, const std::string& name) {
    if (!ctx.link.AcquirePort()) return kExitPrinter;
    bool ok;
    {
        WaitCursor cursor(ctx.ui);
        ok = SendTestPrint(ctx, name).has_value();
        if (ok)
            ctx.ui.Wait(10000); // the printer is busy printing
        else
            ctx.ShowPrinterError();
        ctx.link.ReleasePort();
    }
    return ok ? kExitOk : kExitPrinter;
}

// One NAME=VALUE of set: a read-only field is kept aside to compare, any other parsed.
bool AddAssignment(const std::string& a, const TableChoice& tables, SettingsRequest& rq) {
    const size_t eq = a.find('=');
    if (const SettingField* f = eq == std::string::npos ? nullptr : FindField(Upper(a.substr(0, eq)));
        f && !f->Settable() && eq + 1 < a.size()) {
        rq.fixed.push_back({f, a.substr(eq + 1)});
        return true;
    }
    std::string why;
    auto edit = ParseAssignment(a, tables, &why);
    if (!edit) {
        Err(Visible(why, true));
        return false;
    }
    rq.edits.push_back(*edit);
    return true;
}

// The command's own arguments (from operandsFrom on, none is an option); false (said on standard
// error) for one it does not take.
bool ParseArguments(const std::string& command, const std::vector<std::string>& rest, size_t operandsFrom,
                    const TableChoice& tables, SettingsRequest& rq) {
    for (size_t i = 0; i < rest.size(); ++i) {
        const std::string& a = rest[i];
        const bool option = i < operandsFrom && a.rfind("--", 0) == 0;
        if (command == "query" && option && a == "--raw") {
            rq.raw = true;
        } else if (command == "query" && option && a == "--numeric") {
            rq.numeric = true;
        } else if ((command == "query" || command == "check") && option && a == "--json") {
            rq.json = true;
        } else if (command == "set" && !option) {
            if (!AddAssignment(a, tables, rq)) return false;
        } else if ((command == "backup" || command == "restore") && rq.file.empty() && !a.empty() &&
                   !option) {
            rq.file = a;
        } else if (command == "test-print" && rq.pageName.empty() && !option) {
            if (!IsPageName(a)) {
                Err("\"" + Visible(a, true) + "\" is not a page name (letters, digits and '_')");
                return false;
            }
            rq.pageName = a;
        } else {
            Err("unexpected \"" + Visible(a, true) + "\" for " + command + " (tavctl " + command +
                " --help)");
            return false;
        }
    }
    return true;
}

// Only a page the model's configuration offers, as the Test page shows only those.
bool PageOffered(const AppContext& probe, const std::string& pageName) {
    std::string offered;
    bool listed = false;
    for (const TestPrintDef& t : kTestPrints)
        if (IsTestPrintOffered(probe, t)) {
            listed = listed || pageName == t.pageName;
            offered += std::string(offered.empty() ? "" : ", ") + t.pageName;
        }
    if (!listed)
        Err(pageName + " is not a page this model lists (" + (offered.empty() ? "none" : offered) + ")");
    return listed;
}

// What each command needs besides its arguments; false (said on standard error) when it lacks it.
bool CompleteRequest(const std::string& command, const AppContext& probe, const TableChoice& tables,
                     SettingsRequest& rq) {
    if (command == "set" && rq.edits.empty() && rq.fixed.empty()) {
        Err("set needs at least one NAME=VALUE (tavctl set --help)");
        return false;
    }
    if (command == "test-print" && rq.pageName.empty()) {
        Err("test-print needs a page name (tavctl test-print --help)");
        return false;
    }
    if (command == "test-print" && !PageOffered(probe, rq.pageName)) return false;
    if ((command == "backup" || command == "restore") && rq.file.empty()) {
        Err(command + " needs a file (tavctl " + command + " --help)");
        return false;
    }
    if (command == "restore") {
        auto read = ReadBackup(rq.file, tables);
        if (!read) {
            Err("nothing sent");
            return false;
        }
        rq.edits = std::move(*read);
        rq.restoring = true;
    }
    return true;
}

// The limits an edit is held to that need no printer: its list, and every range but the margins
// (which hang on the printer's paper, orientation and unit). Said on standard error; true when
// none is broken.
bool WithinLimitsKnownOffline(const AppContext& probe, const SettingsRequest& rq, const TableChoice& tables) {
    PrinterSettings edited;
    for (const Assignment& a : rq.edits)
        a.field->set(edited, a.value);
    bool fine = true;
    for (const Assignment& a : rq.edits) {
        const FieldLimit l = a.field->limit;
        if (l == FieldLimit::TopMargin || l == FieldLimit::LeftMargin || l == FieldLimit::DuplexMargin)
            continue;
        std::string why = ListProblem(*a.field, a.value, tables, ResidentFonts(probe));
        if (why.empty()) why = LimitProblem(*a.field, a.value, edited, probe);
        if (!why.empty()) {
            Err(why);
            fine = false;
        }
    }
    return fine;
}

} // namespace

bool IsSettingsCommand(const std::string& command) {
    for (const char* c : kSettingsCommands)
        if (command == c) return true;
    return false;
}

int RunSettingsCommand(const ProgramOptions& opt, const std::string& command,
                       const std::vector<std::string>& rest, size_t operandsFrom) {
    if (opt.showJob && command != "set" && command != "restore") {
        Err("--show-job is for set and restore (tavctl " + command + " --help)");
        return kExitUsage;
    }

    const std::optional<Launch> launch = Launch::Prepare(opt);
    if (!launch) return kExitUsage;
    CliUiHost ui(opt.yes);
    // The model switches that decide what a value means, read before anything is sent.
    const std::unique_ptr<AppContext> probeContext = launch->Probe(ui);
    const AppContext& probe = *probeContext;
    const TableChoice tables = TableChoice::FromConfig(probe);

    if (opt.help) {
        CommandHelp(command, tables, probe);
        return kExitOk;
    }

    SettingsRequest rq;
    rq.showJob = opt.showJob;
    if (!ParseArguments(command, rest, operandsFrom, tables, rq) ||
        !CompleteRequest(command, probe, tables, rq))
        return kExitUsage;

    bool reached = false;
    const int status = launch->Run(ui, command, [&](AppContext& ctx) {
        reached = true;
        if (command == "query") return Query(ctx, rq.raw && !rq.json, rq.numeric, rq.json);
        if (command == "set" || command == "restore") return Set(ctx, rq, ui);
        if (command == "backup") return Backup(ctx, rq.file);
        if (command == "default") return Default(ctx);
        if (command == "check") return Check(ctx, rq.json);
        return TestPrint(ctx, rq.pageName);
    });
    // A printer that cannot be reached does not make a value that is wrong anyway a printer fault.
    if (!reached && status == kExitPrinter && !WithinLimitsKnownOffline(probe, rq, tables)) {
        Err("nothing sent");
        return kExitUsage;
    }
    return status;
}

} // namespace tav::cli
