#include "cli/SettingsCommands.h"

#include <cctype>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

#include "cli/Output.h"
#include "cli/SettingLimits.h"
#include "cli/SettingNames.h"
#include "pages/TestPrints.h"
#include "pjl/CheckInfo.h"
#include "pjl/Pjl.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Upload.h"
#include "platform/Platform.h"
#include "platform/UserFile.h"

namespace tav::cli {
namespace {

// A backup holds some hundred lines; a file far past that is not one.
constexpr size_t kMaxBackupBytes = 1 << 20;

// The commands this file runs, in the order the program help lists them.
const char* const kSettingsCommands[] = {"query", "set", "default", "check", "test-print", "backup", "restore"};

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
                while (!w.empty() && w.back() == ' ') w.remove_suffix(1);
                line += " " + std::string(w);
            }
            if (f.extra) line += " (and " + std::to_string(f.table(tables).size()) + ": EPSON or IBM by EPSONIBM)";
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
        std::fputs("Usage: tavctl [OPTIONS] query [--raw] [--numeric] [--json]\n"
                   "Prints the settings the printer reports, one NAME=value a line, in record order.\n"
                   "Names are the PJL variables that set sends; a value is the keyword where the field\n"
                   "has a list (tavctl set --help), #N for a stored number the list does not spell, else\n"
                   "the number. The output fed back to set changes nothing. FEATUREFLAGS is printed as\n"
                   "0x and 8 hex digits.\n"
                   "  --raw      also print the hex dump of the printer's reply\n"
                   "  --numeric  print the stored numbers, keywords left aside\n"
                   "  --json     print one JSON object, NAME: value (numbers as numbers)\n",
                   stdout);
        std::fputs(kLaunchOptionsHelp, stdout);
        std::fputs("\n", stdout);
        std::fputs(kOwnNamesHelp, stdout);
    } else if (command == "set") {
        std::fputs("Usage: tavctl [OPTIONS] set NAME=VALUE... [--show-job]\n"
                   "Changes the settings, sends every field that now differs from the printer's report\n"
                   "(and RESOLUTION, which every send carries), reads the settings back and prints\n"
                   "those that changed. VALUE is written as query prints it: a keyword of the field's\n"
                   "list (case does not matter) where it has one, else a number; #N sets the stored\n"
                   "number N. A PAPER or custom size that differs sends the paper line.\n"
                   "A name or value that is not known, or a number outside the range the pages allow,\n"
                   "is refused (exit 2) and nothing is sent.\n"
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
                   "under [Settings], spelled as query prints them, the model and the date in a comment.\n"
                   "Read-only fields are left out.\n",
                   stdout);
        std::fputs(kLaunchOptionsHelp, stdout);
    } else if (command == "restore") {
        std::fputs("Usage: tavctl [OPTIONS] restore FILE [--show-job]\n"
                   "Sends the settings of a backup FILE that differ from the printer's, as one Send, once\n"
                   "every value has been checked as set checks it (a bad value: exit 2, nothing sent).\n"
                   "Names this model does not have, and keywords its lists do not hold, are skipped\n"
                   "and named on standard error.\n"
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
    while (end > 0 && reply[end - 1] == 0) --end;
    for (std::string row : HexDumpRows(reply.data(), std::max<size_t>(end, 1))) {
        while (!row.empty() && (row.back() == '\n' || row.back() == '\r')) row.pop_back();
        Out(row);
    }
}

// One JSON object of NAME=value lines: a value of digits only is a number, anything else a string.
void OutJson(const std::vector<std::string>& lines) {
    std::string text = "{";
    for (const std::string& line : lines) {
        const size_t eq = line.find('=');
        const std::string name = line.substr(0, eq), value = line.substr(eq + 1);
        const bool number = !value.empty() && value.size() < 11 &&
                            value.find_first_not_of("0123456789") == std::string::npos;
        text += (text.size() > 1 ? ", " : "") + JsonString(name) + ": " + (number ? value : JsonString(value));
    }
    Out(text + "}");
}

int Query(AppContext& ctx, bool raw, bool numeric, bool json) {
    const std::vector<std::string> lines = SettingLines(ctx.store.reported, TableChoice::FromConfig(ctx), numeric);
    if (json) {
        OutJson(lines);
        return kExitOk;
    }
    for (const std::string& line : lines) Out(line);
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
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

int Set(AppContext& ctx, const std::vector<Assignment>& edits, const std::vector<ReadOnlyValue>& fixed, bool showJob,
        const CliUiHost& ui) {
    const PrinterSettings before = ctx.store.reported;
    const TableChoice tables = TableChoice::FromConfig(ctx);
    // The printer's own value is accepted (it changes nothing); another one cannot be sent.
    bool refused = false;
    for (const ReadOnlyValue& r : fixed) {
        const std::string current = ValueText(*r.field, r.field->get(before), tables, false);
        if (Upper(r.text) != Upper(current)) {
            Err(std::string(r.field->name) + " is read only (the printer reports " + current + ")");
            refused = true;
        }
    }
    for (const Assignment& a : edits) a.field->set(ctx.store.edited, a.value);
    // The ranges depend on the other values (the margins on the paper and the unit): checked
    // once every edit is in place, before anything is sent. The printer's own value passes even
    // outside them: it is not sent.
    for (const Assignment& a : edits)
        if (a.field->get(before) == a.value) continue;
        else if (const std::string why = LimitProblem(*a.field, a.value, ctx.store.edited, ctx); !why.empty()) {
            Err(why);
            refused = true;
        }
    if (refused) {
        Err("nothing sent");
        return kExitUsage;
    }
    // The paper lines go out only for a size that differs, so feeding query's output back sends nothing.
    ctx.store.paperChanged = ctx.store.edited.paper != before.paper;
    ctx.store.customPaperChanged =
        ctx.store.edited.customWidth != before.customWidth || ctx.store.edited.customHeight != before.customHeight;
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
    if (!ok) ctx.ShowPrinterError();
    ctx.link.ReleasePort();
    if (showJob && !job.empty()) Out(Visible(job, true));
    if (!ok) return kExitPrinter;
    for (const std::string& line : ChangedLines(before, ctx.store.reported, tables, false)) Out(line);
    // The exchange worked, but a printer may still refuse a value; a script should hear of it.
    int status = kExitOk;
    for (const Assignment& a : edits)
        if (a.field->get(ctx.store.edited) != a.value) {
            Err("the printer did not take " + std::string(a.field->name) + "=" + Spelled(a, tables));
            status = kExitRefused;
        }
    return status;
}

int Backup(AppContext& ctx, const std::string& file) {
    const TableChoice tables = TableChoice::FromConfig(ctx);
    std::string text = "; tavctl backup of the printer's stored defaults\n";
    char date[32] = "";
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    if (gmtime_r(&now, &utc)) std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S UTC", &utc);
    const std::string model = ctx.Config("Common", "ModelName", ctx.DeviceName());
    text += "; model: " + Visible(model, true) + "\n; date: " + date + "\n[Settings]\n";
    for (const SettingField* f : FieldsInRecordOrder())
        if (f->Settable())
            text += std::string(f->name) + " = " + ValueText(*f, f->get(ctx.store.reported), tables, false) + "\n";
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        Err("cannot write " + Visible(file, true));
        return kExitUsage;
    }
    return kExitOk;
}

// The assignments of a backup file, checked as set checks them; names this model has no field
// for, and keywords its lists do not hold, go to *skipped.
std::optional<std::vector<Assignment>> ReadBackup(const std::string& file, const TableChoice& tables,
                                                  uint32_t residentFonts, std::vector<std::string>* skipped) {
    // A backup is some kilobytes of text; a FIFO or device named here must not hang the command.
    std::string text;
    UserFileError error;
    if (!ReadRegularFile(file, text, kMaxBackupBytes, error)) {
        Err("cannot read " + Visible(file, true) +
            (error == UserFileError::NotRegular ? ": not a regular file"
             : error == UserFileError::TooLarge ? ": larger than a backup can be" : ""));
        return std::nullopt;
    }
    std::istringstream in(text);
    std::vector<Assignment> edits;
    std::string line, section;
    bool bad = false;
    for (int number = 1; std::getline(in, line); ++number) {
        if (line.size() > 4096) {
            Err(Visible(file, true) + ":" + std::to_string(number) + ": line too long");
            return std::nullopt;
        }
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == ';' || line[start] == '#') continue;
        line.erase(0, start);
        if (line[0] == '[') {
            section = line;
            continue;
        }
        if (section != "[Settings]") continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            Err(Visible(file, true) + ":" + std::to_string(number) + ": not NAME = value");
            bad = true;
            continue;
        }
        std::string name = line.substr(0, eq), value = line.substr(eq + 1);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
        value.erase(0, std::min(value.size(), value.find_first_not_of(" \t")));
        const SettingField* f = FindField(name);
        if (!f || !f->Settable()) {
            skipped->push_back(Visible(name, true));
            continue;
        }
        std::string why;
        auto edit = ParseAssignment(name + "=" + value, tables, residentFonts, &why);
        if (!edit) {
            // Another model's keyword is skipped; anything else is a bad file.
            if (f->table && !value.empty() && value[0] != '#') {
                skipped->push_back(Visible(name + "=" + value, true));
                continue;
            }
            Err(Visible(file, true) + ":" + std::to_string(number) + ": " + Visible(why, true));
            bad = true;
            continue;
        }
        edits.push_back(*edit);
    }
    if (bad) return std::nullopt;
    return edits;
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
    for (const std::string& line : ChangedLines(before, ctx.store.reported, TableChoice::FromConfig(ctx), false))
        Out(line);
    return kExitOk;
}

int Check(AppContext& ctx, bool json) {
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
    std::vector<std::string> lines;
    for (unsigned type = 0; type < 256; ++type) {
        const int slot = CheckInfoSlot(type);
        if (slot < 0 || ctx.checkInfo[static_cast<size_t>(slot)].empty()) continue;
        // The JSON strings carry the printer's text with JSON's own escapes; the lines, terminal-safe.
        const std::string& text = ctx.checkInfo[static_cast<size_t>(slot)];
        lines.push_back("ITEM" + std::to_string(type) + "=" + (json ? text : Visible(text, true)));
    }
    if (json) {
        std::string out = "{";
        for (const std::string& line : lines) {
            const size_t eq = line.find('=');
            out += (out.size() > 1 ? ", " : "") + JsonString(line.substr(0, eq)) + ": " + JsonString(line.substr(eq + 1));
        }
        Out(out + "}");
    } else {
        for (const std::string& line : lines) Out(line);
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


// What a settings command was asked for on its command line, checked before the printer is reached.
struct SettingsRequest {
    bool raw = false, numeric = false, json = false;
    std::vector<Assignment> edits;
    std::vector<ReadOnlyValue> fixed;
    std::string pageName, file;
};

// One NAME=VALUE of set: a read-only field is kept aside to compare, any other parsed.
bool AddAssignment(const std::string& a, const TableChoice& tables, uint32_t residentFonts, SettingsRequest& rq) {
    const size_t eq = a.find('=');
    if (const SettingField* f = eq == std::string::npos ? nullptr : FindField(Upper(a.substr(0, eq)));
        f && !f->Settable() && eq + 1 < a.size()) {
        rq.fixed.push_back({f, a.substr(eq + 1)});
        return true;
    }
    std::string why;
    auto edit = ParseAssignment(a, tables, residentFonts, &why);
    if (!edit) {
        Err(Visible(why, true));
        return false;
    }
    rq.edits.push_back(*edit);
    return true;
}

// The command's own arguments; false (said on standard error) for one it does not take.
bool ParseArguments(const std::string& command, const std::vector<std::string>& rest, const TableChoice& tables,
                    uint32_t residentFonts, SettingsRequest& rq) {
    for (const std::string& a : rest) {
        if (command == "query" && a == "--raw") {
            rq.raw = true;
        } else if (command == "query" && a == "--numeric") {
            rq.numeric = true;
        } else if ((command == "query" || command == "check") && a == "--json") {
            rq.json = true;
        } else if (command == "set" && a.rfind("--", 0) != 0) {
            if (!AddAssignment(a, tables, residentFonts, rq)) return false;
        } else if ((command == "backup" || command == "restore") && rq.file.empty() && !a.empty() &&
                   a.rfind("--", 0) != 0) {
            rq.file = a;
        } else if (command == "test-print" && rq.pageName.empty() && a.rfind("--", 0) != 0) {
            if (!IsPageName(a)) {
                Err("\"" + Visible(a, true) + "\" is not a page name (letters, digits and '_')");
                return false;
            }
            rq.pageName = a;
        } else {
            Err("unexpected \"" + Visible(a, true) + "\" for " + command + " (tavctl " + command + " --help)");
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
    if (!listed) Err(pageName + " is not a page this model lists (" + (offered.empty() ? "none" : offered) + ")");
    return listed;
}

// What each command needs besides its arguments; false (said on standard error) when it lacks it.
bool CompleteRequest(const std::string& command, const AppContext& probe, const TableChoice& tables,
                     uint32_t residentFonts, SettingsRequest& rq) {
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
        std::vector<std::string> skipped;
        auto read = ReadBackup(rq.file, tables, residentFonts, &skipped);
        if (!read) {
            Err("nothing sent");
            return false;
        }
        for (const std::string& name : skipped) Err("skipped " + name + ": this model does not take it");
        rq.edits = std::move(*read);
    }
    return true;
}

}  // namespace

bool IsSettingsCommand(const std::string& command) {
    for (const char* c : kSettingsCommands)
        if (command == c) return true;
    return false;
}

int RunSettingsCommand(const ProgramOptions& opt, const std::string& command, const std::vector<std::string>& rest) {
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
    const uint32_t residentFonts = probe.IsKalor() ? 68 : 54;
    if (!ParseArguments(command, rest, tables, residentFonts, rq) ||
        !CompleteRequest(command, probe, tables, residentFonts, rq))
        return kExitUsage;

    const bool showJob = opt.showJob;
    return launch->Run(ui, command, [&](AppContext& ctx) {
        if (command == "query") return Query(ctx, rq.raw && !rq.json, rq.numeric, rq.json);
        if (command == "set" || command == "restore") return Set(ctx, rq.edits, rq.fixed, showJob, ui);
        if (command == "backup") return Backup(ctx, rq.file);
        if (command == "default") return Default(ctx);
        if (command == "check") return Check(ctx, rq.json);
        return TestPrint(ctx, rq.pageName);
    });
}

}  // namespace tav::cli
