// Each printer operation of tavctl against each fault of the simulated printer, one row a pair:
// the message the user is owed, no wait past the protocol's own, the port free afterwards, and
// the printer (its settings, stores or firmware) changed exactly when the job reached it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "FakeDev.h"
#include "FaultHome.h"
#include "PortLockFile.h"
#include "RunProgram.h"
#include "SimProcess.h"

namespace {

const char kNotRespond[] = "The printer does not respond.";
const char kPrinterError[] = "Printer error.";
const char kPortBusy[] = "The port is in use.";

struct Row {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> faults; // tavsim --fault options; job1 is start-up's query, job2 the operation's
    int status;                      // 0 done, 1 the printer exchange failed
    const char* err;                 // the message on stderr ("" for none)
    bool changed;                    // the printer's settings differ afterwards
    bool holdPort = false;           // another program holds the port lock throughout
    // Rows of the flash, manager and transfer operations tell whether the job reached the
    // printer from one line of what `observe` prints afterwards rather than from a second,
    // healthy printer: "shows" appears once it did, "hides" is gone once it did. The firmware
    // rows read the simulator's log instead, where a whole image is "programmed".
    std::vector<std::string> observe = {};
    const char* shows = nullptr;
    const char* hides = nullptr;
    bool firmware = false;
    double deadline = 15.0;      // seconds of real time: read timeouts, with room
    unsigned maxWaitMs = 13000;  // what the operation may ask of the wait clock
    bool errHas = false;         // err is a line that stderr holds among others
    int dataRuns = -1;           // data runs the printer logs (a firmware image, or a file's rest
                                 // taken for print data); -1: not counted
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

const std::vector<std::string> kSet = {"set", "COPIES=2"};
const std::vector<std::string> kQuery = {"query"};
const std::vector<std::string> kFlashList = {"flash", "list"};
const std::vector<std::string> kMacroOn = {"flash", "macro-on", "12"};
const std::vector<std::string> kPsfsRm = {"psfs", "rm", "Optima", "--disk", "--yes"};
const std::vector<std::string> kPsfsLs = {"psfs", "ls", "--disk"};
const char kFirmwareDone[] = "Firmware updated.";
const std::vector<std::string> kAddFont = {"flash", "add-font", "HOME/form.ps", "777"};
const unsigned kAddFontWaitMs = 37000; // start-up's 2 s, the send's 30 s, the flash's 5 s
const char kErase[] = "Erase it? [Yes]"; // the question --yes answers
const char kStreamBroken[] = "were handed to the link; the printer may hold part of it, send it again";
const char kFirmwareBroken[] = "were handed to the link; the printer may hold part of it, send the file again";

const Row kRows[] = {
    // start-up: the settings query of every command
    {"StartupNoReply", kQuery, {"job1:no-reply"}, 1, kNotRespond, false},
    {"StartupShortReply", kQuery, {"job1:truncate=5"}, 1, kNotRespond, false},
    {"StartupGarbage", kQuery, {"job1:garbage=11"}, 1, kNotRespond, false},
    {"StartupDropped", kQuery, {"job1:drop"}, 1, kNotRespond, false},
    {"StartupRefused", kQuery, {"refuse"}, 1, kNotRespond, false},
    {"StartupStalledReader", kQuery, {"stall"}, 1, kNotRespond, false},
    {"StartupLateReply", kQuery, {"job1:delay=250"}, 0, "", false},
    {"StartupReplyInPieces", kQuery, {"job1:split=16"}, 0, "", false},
    {"StartupUnaskedStatus", kQuery, {"job1:unasked"}, 0, "", false},
    {"StartupPortHeld", kQuery, {}, 1, kPortBusy, false, true},
    // Send
    {"SendNoReply", kSet, {"job2:no-reply"}, 1, kPrinterError, true},
    {"SendShortReply", kSet, {"job2:truncate=5"}, 1, kPrinterError, true},
    {"SendGarbage", kSet, {"job2:garbage=23"}, 1, kPrinterError, true},
    {"SendDropped", kSet, {"job2:drop"}, 1, kPrinterError, false},
    {"SendLateReply", kSet, {"job2:delay=250"}, 0, "", true},
    {"SendReplyInPieces", kSet, {"job2:split=16"}, 0, "", true},
    {"SendUnaskedStatus", kSet, {"job1:unasked", "job2:unasked"}, 0, "", true},
    {"SendThenStalledReader", kSet, {"job2:stall"}, 0, "", true},
    // Default
    {"DefaultNoReply", {"default"}, {"job2:no-reply"}, 1, kPrinterError, false},
    {"DefaultDropped", {"default"}, {"job2:drop"}, 1, kPrinterError, false},
    {"DefaultReplyInPieces", {"default"}, {"job2:split=16"}, 0, "", false},
    // Check
    {"CheckNoReply", {"check"}, {"job2:no-reply"}, 1, kNotRespond, false},
    {"CheckDropped", {"check"}, {"job2:drop"}, 1, kNotRespond, false},
    {"CheckReplyInPieces", {"check"}, {"job2:split=16"}, 0, "", false},
    {"CheckUnaskedStatus", {"check"}, {"job1:unasked"}, 0, "", false},
    // A test print has no reply: only a printer that cannot be reached fails it.
    {"TestPrintDropped", {"test-print", "CONFIG"}, {"job2:drop"}, 0, "", false},
    // Read-only operations: a second command (the settings query) must work at once afterwards.
    // flash list: the font listing is job 2, the macro listing job 3
    {"FlashListMacrosDropped", kFlashList, {"job3:drop"}, 1, kPrinterError, false, false, kQuery},
    {"FlashListInPieces", kFlashList, {"job2:split=16", "job3:split=16"}, 0, "", false, false, kQuery},
    {"PsFormsListDropped", {"psforms", "list"}, {"job2:drop"}, 1, kPrinterError, false, false, kQuery},
    // flash macro-on: the job (2), then the settings again (3) to see the macro active. Exit 0 is
    // given only when the settings loaded again name the macro, so a fresh query must agree.
    // The printer answers the reload without the macro: it did not take the value (3).
    {"MacroOnDropped",
     kMacroOn,
     {"job2:drop"},
     3,
     "tavctl: the printer did not make macro 12 active",
     false,
     false,
     kQuery,
     "FLASHVALUE=12\n"},
    {"MacroOnReloadDropped",
     kMacroOn,
     {"job3:drop"},
     1,
     kPrinterError,
     true,
     false,
     kQuery,
     "FLASHVALUE=12\n"},
    {"MacroOnReloadInPieces", kMacroOn, {"job3:split=16"}, 0, "", true, false, kQuery, "FLASHVALUE=12\n"},
    // psfs rm: storage (2), font count (3) and listing (4), form count (5) and listing (6), then
    // the delete; without the whole listing nothing is deleted
    {"PsfsRmListingDropped",
     kPsfsRm,
     {"job4:drop"},
     1,
     kPrinterError,
     false,
     false,
     kPsfsLs,
     nullptr,
     "font Optima\n"},
    // A delete or a format has no reply either: one that reached the printer (here its job 2
    // comes in pieces of a slow link) is gone from the listing, one dropped is still there. Each
    // may ask the clock for start-up's 2 s and its own wait.
    {"RmFontDropped", {"flash", "rm-font", "250", "--yes"}, {"job2:drop"}, 0, kErase, false, false, kFlashList, nullptr, "Garamond Antiqua", false, 15.0, 17000},
    {"RmFontInPieces", {"flash", "rm-font", "250", "--yes"}, {"job2:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "Garamond Antiqua", false, 15.0, 17000},
    {"RmMacroDropped", {"flash", "rm-macro", "12", "--yes"}, {"job2:drop"}, 0, kErase, false, false, kFlashList, nullptr, "   12\n", false, 15.0, 17000},
    {"RmMacroInPieces", {"flash", "rm-macro", "12", "--yes"}, {"job2:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "   12\n", false, 15.0, 17000},
    {"RmFontsDropped", {"flash", "rm-fonts", "--yes"}, {"job2:drop"}, 0, kErase, false, false, kFlashList, nullptr, "Univers Medium", false, 15.0, 17000},
    {"RmFontsInPieces", {"flash", "rm-fonts", "--yes"}, {"job2:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "Univers Medium", false, 15.0, 17000},
    {"RmMacrosDropped", {"flash", "rm-macros", "--yes"}, {"job2:drop"}, 0, kErase, false, false, kFlashList, nullptr, "macros: 2\n", false, 15.0, 17000},
    {"RmMacrosInPieces", {"flash", "rm-macros", "--yes"}, {"job2:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "macros: 2\n", false, 15.0, 17000},
    {"RmAllDropped", {"flash", "rm-all", "--yes"}, {"job2:drop"}, 0, kErase, false, false, kFlashList, nullptr, "fonts: 3\n", false, 15.0, 17000},
    {"RmAllInPieces", {"flash", "rm-all", "--yes"}, {"job2:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "fonts: 3\n", false, 15.0, 17000},
    {"PsFormsRmAllDropped", {"psforms", "rm-all", "--yes"}, {"job2:drop"}, 0, kErase, false, false, {"psforms", "list"}, nullptr, "Invoice", false, 15.0, 7000},
    {"PsFormsRmAllInPieces", {"psforms", "rm-all", "--yes"}, {"job2:split=16"}, 0, kErase, true, false, {"psforms", "list"}, nullptr, "Invoice", false, 15.0, 7000},
    {"PsFlashFormatDropped", {"psflash", "format", "--yes"}, {"job2:drop"}, 0, kErase, false, false, kFlashList, nullptr, "fonts: 3\n", false, 15.0, 22000},
    {"PsFlashFormatInPieces", {"psflash", "format", "--yes"}, {"job2:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "fonts: 3\n", false, 15.0, 22000},
    // A download has no reply: dropped, it is reported sent and is not in the listing.
    {"AddFontDropped", kAddFont, {"job2:drop"}, 0, "tavctl: 53 of 53 bytes (100 %)", false, false, kFlashList, "   777 ", nullptr, false, 15.0, kAddFontWaitMs},
    {"AddFontUnaskedStatus", kAddFont, {"job2:unasked"}, 0, "tavctl: 53 of 53 bytes (100 %)", true, false, kFlashList, "   777 ", nullptr, false, 15.0, kAddFontWaitMs},
    // The file system's questions and the backup read only: the next command works at once.
    {"PsfsInfoNoReply", {"psfs", "info"}, {"job2:no-reply"}, 1, kPrinterError, false, false, kQuery},
    {"PsfsDfDropped", {"psfs", "df"}, {"job2:drop"}, 1, kPrinterError, false, false, kQuery},
    {"BackupGarbage", {"backup", "HOME/backup.ini"}, {"job1:garbage=37"}, 1, kNotRespond, false, false, kQuery},
    // The file send and the firmware transfer have no reply to spoil, and a dropped job is not
    // seen by the sender; what must hold is that status lines nobody asked for lose nothing.
    {"FormSendUnaskedStatus",
     {"psforms", "add", "HOME/form.ps"},
     {"job1:unasked", "job2:unasked"},
     0,
     "tavctl: 53 of 53 bytes (100 %)",
     true,
     false,
     {"psforms", "list"},
     "form.ps",
     nullptr,
     false,
     15.0,
     33000}, // start-up's 2 s and the send's 30 s
    {"FirmwareUnaskedStatus",
     {"firmware", "HOME/firmware.bin", "--yes"},
     {"job1:unasked", "job2:unasked"},
     0,
     kFirmwareDone,
     true,
     false,
     {},
     nullptr,
     nullptr,
     true,
     30.0,
     48000},
    // A stream whose connection is lost part way fails with what the link took, and its rest
    // never reaches the printer over a new connection, where it would be printed as data. Each
    // file (HOME/big.*) is larger than all the link can have in flight, so its writes meet the
    // loss; a printer that stops taking data (stall) fails the write after its timeout.
    {"FirmwareCut", {"firmware", "HOME/big.fw", "--yes"}, {"cut=1500000"}, 1, kFirmwareBroken, false, false,
     {}, nullptr, nullptr, true, 15.0, 13000, true, 1},
    {"FirmwareStalled", {"firmware", "HOME/big.fw", "--yes"}, {"job1:stall"}, 1, kFirmwareBroken, false, false,
     {}, nullptr, nullptr, true, 15.0, 13000, true, 0},
    {"AddFontCut", {"flash", "add-font", "HOME/big.bin", "777"}, {"FSDOWNLOADFONT:cut=1000000"}, 1, kStreamBroken,
     false, false, {}, nullptr, nullptr, false, 15.0, 13000, true, 0},
    {"AddFontStalled", {"flash", "add-font", "HOME/big.bin", "777"}, {"job1:stall"}, 1, kStreamBroken, false,
     false, {}, nullptr, nullptr, false, 15.0, 13000, true, 0},
    {"AddMacroCut", {"flash", "add-macro", "HOME/big.bin", "778"}, {"FSDOWNLOADMACRO:cut=1000000"}, 1,
     kStreamBroken, false, false, {}, nullptr, nullptr, false, 15.0, 13000, true, 0},
    {"FormSendCut", {"psforms", "add", "HOME/big.bin"}, {"FSDOWNLOADPSFORM:cut=1000000"}, 1, kStreamBroken, false,
     false, {}, nullptr, nullptr, false, 15.0, 13000, true, 0},
    {"PsfsPutCut", {"psfs", "put", "HOME/big.ps", "--disk"}, {"cut=1000000"}, 1, "bytes were handed to the link; send it again",
     false, false, {}, nullptr, nullptr, false, 15.0, 13000, true, 0},
};

class FaultMatrix : public ::testing::TestWithParam<Row> {
  protected:
    tavtest::ProgramResult Run(const std::vector<std::string>& args) {
        std::map<std::string, std::string> env = tavtest::FaultEnv(home.dir);
        // Each wait lasts a fiftieth: still longer than the simulator's own times set below (its
        // end of a data run, programming firmware), so those come first.
        env["TAV_TEST_WAIT_DIVISOR"] = "50";
        return tavtest::RunProgram(TAVCTL_PATH, args, env, home.dir);
    }
    void Point(const tavtest::SimProcess& sim) {
        home.Write("comtav.ini", "[Common]\nDeviceID=" + sim.DeviceName() + "\n[TAB]\nPrinting=1\nCheck=1\nTest=1\nDOWNLOAD=1\nFMU=1\nFirmWare=1\nPS3=1\n[TEST]\nSelfTest=1\n");
    }
    void SetUp() override {
        tavtest::UseRealDeviceLibrary(home.dir);
        home.Write("langinfo.ini", "[Config]\nEN=English\n[English]\nSTR_FILE=lang.ini\n");
        home.Write("lang.ini",
                   std::string("[ABOUT]\nIDL_APPNAME_P=Quorvex Panel\n[STRING]\nIDS_NOT_RESPOND=") +
                       kNotRespond + "\nIDS_ERRORSTRING=" + kPrinterError +
                       "\n[COMMON]\nIDS_STRING107=" + kPortBusy + "\nIDS_STRING106=" + kFirmwareDone +
                       "\n[FLASH]\nMsg_delete_font=Erase it?\nMsg_delete_font_all=Erase it?\nMsg_delete_macro=Erase it?\n"
                       "Msg_delete_macro_all=Erase it?\nMsg_delete_fontmacro_all=Erase it?\nMsg_format_flash=Erase it?\n"
                       "Msg_delete_form_all=Erase it?\n");
        home.Write("form.ps", "%!PS\n/Quorvex findfont 12 scalefont setfont\nshowpage\n");
        // The simulated model's image: its signature, then the image's whole length (big-endian).
        std::string image = "QVFW";
        const uint32_t size = 3 * 4096 + 100;
        for (int shift = 24; shift >= 0; shift -= 8)
            image += static_cast<char>((size >> shift) & 0xFF);
        image.resize(size, '\x5A');
        home.Write("firmware.bin", image);
    }
    // The large files a row names, written only for it: 6 MiB, the firmware's with the model's
    // signature and its length.
    void WriteLargeFiles(const std::vector<std::string>& args) {
        for (const std::string& a : args) {
            if (a.rfind("HOME/big.", 0) != 0) continue;
            std::string bytes = a == "HOME/big.fw" ? std::string("QVFW\x00\x60\x00\x00", 8) : "%!PS\n";
            bytes.resize(6u << 20, '\x5A');
            home.Write(a.substr(5), bytes);
        }
    }
    tavtest::FakeHome home;
};

TEST_P(FaultMatrix, TheUserHearsTheRightThingAndNothingIsLeftBehind) {
    const Row& row = GetParam();
    // What a healthy printer of the same model reports, to tell whether the job reached it.
    const bool marked = !row.observe.empty() || row.firmware;
    std::string before;
    if (!marked) {
        tavtest::SimProcess clean("color-ps");
        Point(clean);
        const auto r = Run(kQuery);
        ASSERT_EQ(r.status, 0) << r.err;
        before = r.out;
    }
    std::vector<std::string> args = tavtest::FaultOptions(row.faults);
    // The programming time and the end of the image's data run are the simulator's, not the
    // program's: short, so the printer is back for the question afterwards.
    if (row.firmware) args.insert(args.end(), {"--program-ms", "100", "--data-quiet-ms", "300"});
    tavtest::SimProcess sim("color-ps", args);
    Point(sim);
    std::unique_ptr<tavtest::PortHold> held;
    if (row.holdPort) {
        held = std::make_unique<tavtest::PortHold>(home.dir);
        ASSERT_TRUE(held->Held());
    }
    WriteLargeFiles(row.args);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> opArgs = row.args;
    for (auto& a : opArgs)
        if (a.rfind("HOME/", 0) == 0) a = home.dir + a.substr(5);
    const auto r = Run(opArgs);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    held.reset();
    EXPECT_EQ(r.status, row.status) << r.out << r.err;
    if (row.errHas)
        EXPECT_NE(r.err.find(row.err), std::string::npos) << r.err;
    else if (std::string(row.err).rfind("tavctl: ", 0) == 0)
        EXPECT_EQ(r.err, std::string(row.err) + "\n");
    else if (*row.err)
        EXPECT_EQ(r.err, std::string("Quorvex Panel: ") + row.err + "\n");
    else
        EXPECT_EQ(r.err, "");
    // The longest wait an operation owes the protocol is the test print's 1 s and 10 s after
    // start-up's 2 s (the firmware's 5 s and 40 s for its rows): more was asked of the clock by
    // a retry that should not be. The waits are not spent here, so what time passed went to
    // reads; far past a few timeouts is a hang.
    EXPECT_LE(r.TotalWaitMs(), row.maxWaitMs);
    EXPECT_LT(took, row.deadline);
    EXPECT_TRUE(tavtest::PortFree(home.dir));
    // The printer, asked afresh (from job 3 on no fault is aimed), shows whether the job ran. A
    // fault of the whole run kept every job from it.
    bool aimedOnly = true;
    for (const auto& f : row.faults)
        aimedOnly &= f.find(':') != std::string::npos;
    if (aimedOnly) {
        const auto again = Run(row.observe.empty() ? kQuery : row.observe);
        ASSERT_EQ(again.status, 0) << again.err;
        if (row.shows) {
            EXPECT_EQ(again.out.find(row.shows) != std::string::npos, row.changed) << again.out;
        }
        if (row.hides) {
            EXPECT_EQ(again.out.find(row.hides) == std::string::npos, row.changed) << again.out;
        }
        if (!marked) {
            EXPECT_EQ(again.out != before, row.changed) << again.out;
        }
    }
    if (row.dataRuns >= 0) {
        int runs = 0;
        for (const auto& e : sim.Events())
            runs += e.event == "data";
        EXPECT_EQ(runs, row.dataRuns);
    }
    if (row.firmware) {
        bool programmed = false;
        for (const auto& e : sim.Events())
            programmed |= e.event == "firmware" && e.Field("result") == "programmed";
        EXPECT_EQ(programmed, row.changed);
    }
}

INSTANTIATE_TEST_SUITE_P(Tavctl, FaultMatrix, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
