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
#include "Type1Fonts.h"

namespace {

const char kNotRespond[] = "The printer does not respond.";
// The device library's reason reaches the user on a line of its own.
const char kNotRespondRefused[] = "The printer does not respond.\nThe printer refused the connection (connection refused).";
const char kPrinterError[] = "Printer error.";
// The settings job went out whole, and what the printer holds now is not known.
const char kSentNoRead[] = "Sent, not read back.";
const char kPortBusy[] = "The port is in use.";

struct Row {
    const char* name;
    std::vector<std::string> args;
    std::vector<std::string> faults; // tavsim --fault options; job1 is start-up's query, job2 the operation's
    int status;                      // 0 done, 1 the printer exchange failed, 4 the printer is busy
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
    std::vector<std::string> first = {}; // run first, with no fault aimed at it
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
const unsigned kAddFontWaitMs = 38000; // start-up's 2 s, the send's 30 s, the flash's 5 s, the listing's 1 s
const std::vector<std::string> kAddMacro = {"flash", "add-macro", "HOME/form.ps", "77"};
const char kErase[] = "Erase it? [Yes]"; // the question --yes answers
const char kFormsLeft[] =
    "Erase it? [Yes]\ntavctl: the printer did not take it: form Invoice, form Letterhead are still in its listing";
const char kFlashLeft[] = "Erase it? [Yes]\ntavctl: the printer did not take it: form Invoice, form Letterhead, "
                          "font ID 101, font ID 102, font ID 250, macro 1, macro 12 are still in its listing";
const char kStreamBroken[] = "were handed to the link; the printer may hold part of it, send it again";
const char kFirmwareBroken[] = "were handed to the link; the printer may hold part of it, send the file again";

const Row kRows[] = {
    // start-up: the settings query of every command
    {"StartupNoReply", kQuery, {"job1:no-reply"}, 1, kNotRespond, false},
    {"StartupShortReply", kQuery, {"job1:truncate=5"}, 1, kNotRespond, false},
    {"StartupGarbage", kQuery, {"job1:garbage=11"}, 1, kNotRespond, false},
    {"StartupDropped", kQuery, {"job1:drop"}, 1, kNotRespond, false},
    {"StartupRefused", kQuery, {"refuse"}, 1, kNotRespondRefused, false},
    {"StartupStalledReader", kQuery, {"stall"}, 1, kNotRespond, false},
    {"StartupLateReply", kQuery, {"job1:delay=250"}, 0, "", false},
    {"StartupReplyInPieces", kQuery, {"job1:split=16"}, 0, "", false},
    {"StartupUnaskedStatus", kQuery, {"job1:unasked"}, 0, "", false},
    {"StartupPortHeld", kQuery, {}, 4, kPortBusy, false, true},
    // Send
    {"SendNoReply", kSet, {"job2:no-reply"}, 1, kSentNoRead, true},
    {"SendShortReply", kSet, {"job2:truncate=5"}, 1, kSentNoRead, true},
    {"SendGarbage", kSet, {"job2:garbage=23"}, 1, kSentNoRead, true},
    {"SendDropped", kSet, {"job2:drop"}, 1, kSentNoRead, false},
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
    {"FlashListJsonMacrosDropped", {"flash", "list", "--json"}, {"job3:drop"}, 1, kPrinterError, false, false, kQuery},
    {"FlashListInPieces", kFlashList, {"job2:split=16", "job3:split=16"}, 0, "", false, false, kQuery},
    {"PsFormsListDropped", {"psforms", "list"}, {"job2:drop"}, 1, kPrinterError, false, false, kQuery},
    // flash macro-on: the job (2), then the settings again (3) to see the macro active. Exit 0 is
    // given only when the settings loaded again name the macro, so a fresh query must agree.
    // The printer answers the reload without the macro: it did not take the value (3).
    {"MacroOnDropped",
     kMacroOn,
     {"job2:drop"},
     3,
     "tavctl: the printer did not take it: macro 12 is not active",
     false,
     false,
     kQuery,
     "FLASHVALUE=12\n"},
    {"MacroOnReloadDropped",
     kMacroOn,
     {"job3:drop"},
     1,
     "Printer error.\ntavctl: the job was sent, but what the printer holds could not be read back",
     true,
     false,
     kQuery,
     "FLASHVALUE=12\n"},
    {"MacroOnReloadInPieces", kMacroOn, {"job3:split=16"}, 0, "", true, false, kQuery, "FLASHVALUE=12\n"},
    // macro-off once macro-on was taken: dropped, the macro stays active.
    {"MacroOffDropped", {"flash", "macro-off"}, {"FSMACROID 65535:drop"}, 3, "tavctl: the printer did not take it: macro 12 is still active", false, false, kQuery, nullptr, "FLASHVALUE=12\n", false, 15.0, 13000, kMacroOn},
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
    // A delete has no reply: the listing afterwards (and for one entry before) shows whether it
    // reached the printer. Waits: start-up's 2 s, the delete's 15 s and the listings'.
    {"RmFontDropped", {"flash", "rm-font", "250", "--yes"}, {"FSDELETEFONT:drop"}, 3, "Erase it? [Yes]\ntavctl: the printer did not take it: font 250 is still listed", false, false, kFlashList, nullptr, "Garamond Antiqua", false, 15.0, 19000},
    {"RmFontNotThere", {"flash", "rm-font", "999", "--yes"}, {}, 2, "tavctl: the printer holds no font 999; nothing was sent", false, false, kFlashList, nullptr, "Garamond Antiqua", false, 15.0, 3000},
    {"RmFontListingInPieces", {"flash", "rm-font", "250", "--yes"}, {"FSFONTINFO:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "Garamond Antiqua", false, 15.0, 19000},
    {"RmMacroDropped", {"flash", "rm-macro", "12", "--yes"}, {"FSDELETEMACRO:drop"}, 3, "Erase it? [Yes]\ntavctl: the printer did not take it: macro 12 is still listed", false, false, kFlashList, nullptr, "   12\n", false, 15.0, 22000},
    {"RmMacroListingInPieces", {"flash", "rm-macro", "12", "--yes"}, {"FSMACROINFO:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "   12\n", false, 15.0, 22000},
    {"RmFontsDropped", {"flash", "rm-fonts", "--yes"}, {"FSDELETEFONTALL:drop"}, 3, "Erase it? [Yes]\ntavctl: the printer did not take it: 3 fonts are still listed", false, false, kFlashList, nullptr, "Univers Medium", false, 15.0, 18000},
    {"RmFontsListingInPieces", {"flash", "rm-fonts", "--yes"}, {"FSFONTINFO:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "Univers Medium", false, 15.0, 18000},
    {"RmMacrosDropped", {"flash", "rm-macros", "--yes"}, {"FSDELETEMACROALL:drop"}, 3, "Erase it? [Yes]\ntavctl: the printer did not take it: 2 macros are still listed", false, false, kFlashList, nullptr, "macros: 2\n", false, 15.0, 19500},
    {"RmMacrosListingInPieces", {"flash", "rm-macros", "--yes"}, {"FSMACROINFO:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "macros: 2\n", false, 15.0, 19500},
    {"RmAllDropped", {"flash", "rm-all", "--yes"}, {"FSDELETEALL:drop"}, 3, "Erase it? [Yes]\ntavctl: the printer did not take it: 3 fonts are still listed; 2 macros are still listed", false, false, kFlashList, nullptr, "fonts: 3\n", false, 15.0, 20500},
    {"RmAllListingInPieces", {"flash", "rm-all", "--yes"}, {"FSFONTINFO:split=16", "FSMACROINFO:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "fonts: 3\n", false, 15.0, 20500},
    // The PostScript form actions read the form listing again (2 s), the format the flash lists too
    // (3.5 s): what is still there is named, and the printer did not take it (3).
    {"PsFormsRmAllDropped", {"psforms", "rm-all", "--yes"}, {"job2:drop"}, 3, kFormsLeft, false, false, {"psforms", "list"}, nullptr, "Invoice", false, 15.0, 9000},
    {"PsFormsRmAllInPieces", {"psforms", "rm-all", "--yes"}, {"job2:split=16"}, 0, kErase, true, false, {"psforms", "list"}, nullptr, "Invoice", false, 15.0, 9000},
    {"PsFlashFormatDropped", {"psflash", "format", "--yes"}, {"job2:drop"}, 3, kFlashLeft, false, false, kFlashList, nullptr, "fonts: 3\n", false, 15.0, 27500},
    {"PsFlashFormatInPieces", {"psflash", "format", "--yes"}, {"job2:split=16"}, 0, kErase, true, false, kFlashList, nullptr, "fonts: 3\n", false, 15.0, 27500},
    {"PsFormsAddDropped", {"psforms", "add", "HOME/form.ps"}, {"job2:drop"}, 3, "tavctl: 53 of 53 bytes (100 %)\ntavctl: the printer did not take it: form form.ps is not in its listing", false, false, {"psforms", "list"}, "form.ps", nullptr, false, 15.0, 34000},
    // A listing shorter than its count keeps what came whole and says it is incomplete.
    {"PsFormsListCutShort", {"psforms", "list"}, {"FSPSFORMINFO:truncate=20"}, 1, "tavctl: the printer's form listing came incomplete: 1 of 2 forms arrived whole", false, false, kQuery},
    {"PsfsLsCutShort", kPsfsLs, {"FSPSDIRLIST:truncate=110"}, 1, "tavctl: the printer's listing came incomplete: only the files that arrived whole are shown", false, false, kQuery},
    // The file system's put and rm read both lists again: a job the printer dropped is named.
    // put: storage (2), the lists (3 to 6), the free space (7), the font (8), the lists again.
    {"PsfsPutDropped", {"psfs", "put", "HOME/quill.pfa"}, {"job8:drop"}, 3, "tavctl: the printer did not take it: font Quill is not in its listing", false, false, {"psfs", "ls"}, "font Quill\n", nullptr, false, 15.0, 43000},
    // The free space is weighed against the font's text form, twice the file: nothing is sent.
    {"PsfsPutNoSpace", {"psfs", "put", "HOME/big.pfb"}, {}, 1, "tavctl: not enough free space for HOME/big.pfb: it takes 16897 KB to send, the printer has 15872 KB", false, false, {"psfs", "ls"}, "font Big\n", nullptr, false, 15.0, 13000},
    {"PsfsRmDropped", {"psfs", "rm", "Optima", "--disk", "--yes"}, {"job7:drop"}, 3, "tavctl: the printer did not take it: font Optima is still in its listing", false, false, kPsfsLs, nullptr, "font Optima\n", false, 15.0, 19000},
    // A download is looked for in the listing; one cut short cannot tell (job 3 is the font
    // listing, which waits half a second more for the rest).
    {"AddFontDropped", kAddFont, {"job2:drop"}, 3, "tavctl: 53 of 53 bytes (100 %)\ntavctl: the printer did not take it: font 777 is not listed", false, false, kFlashList, "   777 ", nullptr, false, 15.0, kAddFontWaitMs},
    {"AddFontUnaskedStatus", kAddFont, {"job2:unasked"}, 0, "tavctl: 53 of 53 bytes (100 %)", true, false, kFlashList, "   777 ", nullptr, false, 15.0, kAddFontWaitMs},
    {"AddFontListingCut", kAddFont, {"job3:truncate=30"}, 1, "tavctl: 53 of 53 bytes (100 %)\ntavctl: the font listing is incomplete: 1 of 4 fonts arrived, so it does not show whether the printer took it", true, false, kFlashList, "   777 ", nullptr, false, 15.0, kAddFontWaitMs + 500},
    {"AddMacroDropped", kAddMacro, {"job2:drop"}, 3, "tavctl: 53 of 53 bytes (100 %)\ntavctl: the printer did not take it: macro 77 is not listed", false, false, kFlashList, "   77\n", nullptr, false, 15.0, kAddFontWaitMs + 1500},
    // A listing shorter than its count: what arrived whole is shown, and the list is not complete.
    {"FlashListFontsCut", kFlashList, {"FSFONTINFO:truncate=30"}, 1, "tavctl: the font listing is incomplete: 1 of 3 fonts arrived", false, false, kQuery},
    {"FlashListMacrosCut", kFlashList, {"FSMACROINFO:truncate=4"}, 1, "tavctl: the macro listing is incomplete: 1 of 2 macros arrived", false, false, kQuery},
    // The file system's questions and the backup read only: the next command works at once.
    {"PsfsInfoNoReply", {"psfs", "info"}, {"job2:no-reply"}, 1, kPrinterError, false, false, kQuery},
    {"PsfsInfoGarbage", {"psfs", "info"}, {"job2:garbage"}, 1, "tavctl: the printer's answer to the storage question was not understood", false, false, kQuery},
    {"PsfsDfDropped", {"psfs", "df"}, {"job2:drop"}, 1, kPrinterError, false, false, kQuery},
    {"PsfsDfJsonDropped", {"psfs", "df", "--json"}, {"job2:drop"}, 1, kPrinterError, false, false, kQuery},
    {"PsfsDfGarbage", {"psfs", "df"}, {"INQUIRE PSDIMMSIZE:garbage"}, 1, "tavctl: the printer's answer to the free space question was not understood", false, false, kQuery},
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
     34000}, // start-up's 2 s, the send's 30 s and the form listing's 2 s
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
     {}, nullptr, nullptr, true, 15.0, 13000, {}, true, 1},
    {"FirmwareStalled", {"firmware", "HOME/big.fw", "--yes"}, {"job1:stall"}, 1, kFirmwareBroken, false, false,
     {}, nullptr, nullptr, true, 15.0, 13000, {}, true, 0},
    {"AddFontCut", {"flash", "add-font", "HOME/big.bin", "777"}, {"FSDOWNLOADFONT:cut=1000000"}, 1, kStreamBroken,
     false, false, {}, nullptr, nullptr, false, 15.0, 13000, {}, true, 0},
    {"AddFontStalled", {"flash", "add-font", "HOME/big.bin", "777"}, {"job1:stall"}, 1, kStreamBroken, false,
     false, {}, nullptr, nullptr, false, 15.0, 13000, {}, true, 0},
    {"AddMacroCut", {"flash", "add-macro", "HOME/big.bin", "778"}, {"FSDOWNLOADMACRO:cut=1000000"}, 1,
     kStreamBroken, false, false, {}, nullptr, nullptr, false, 15.0, 13000, {}, true, 0},
    {"FormSendCut", {"psforms", "add", "HOME/big.bin"}, {"FSDOWNLOADPSFORM:cut=1000000"}, 1, kStreamBroken, false,
     false, {}, nullptr, nullptr, false, 15.0, 13000, {}, true, 0},
    {"PsfsPutCut", {"psfs", "put", "HOME/big.ps", "--disk"}, {"cut=1000000"}, 1, "bytes were handed to the link; send it again",
     false, false, {}, nullptr, nullptr, false, 15.0, 13000, {}, true, 0},
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
                       "\nIDS_DEV_REFUSED=The printer refused the connection (%2).\nIDS_SENT_NOREAD=" + kSentNoRead + "\n[COMMON]\nIDS_STRING107=" + kPortBusy + "\nIDS_STRING106=" + kFirmwareDone +
                       "\n[FLASH]\nMsg_delete_font=Erase it?\nMsg_delete_font_all=Erase it?\nMsg_delete_macro=Erase it?\n"
                       "Msg_delete_macro_all=Erase it?\nMsg_delete_fontmacro_all=Erase it?\nMsg_format_flash=Erase it?\n"
                       "Msg_delete_form_all=Erase it?\n");
        home.Write("form.ps", "%!PS\n/Quorvex findfont 12 scalefont setfont\nshowpage\n");
        home.Write("quill.pfa", tavtest::MakePfa("Quill"));
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
    ASSERT_TRUE(row.first.empty() || Run(row.first).status == 0);
    std::unique_ptr<tavtest::PortHold> held;
    if (row.holdPort) {
        held = std::make_unique<tavtest::PortHold>(home.dir);
        ASSERT_TRUE(held->Held());
    }
    WriteLargeFiles(row.args);
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> opArgs = row.args;
    for (auto& a : opArgs) {
        // A font whose text form (17 MB) is larger than the memory's free space, the file (8 MB) not.
        if (a == "HOME/big.pfb")
            home.Write("big.pfb", tavtest::Pfb({{1, "%!PS-AdobeFont-1.0: Big\r/FontName /Big def\r"},
                                                {2, std::string(8u << 20, '\xA5')},
                                                {3, ""}}));
        if (a.rfind("HOME/", 0) == 0) a = home.dir + a.substr(5);
    }
    std::string err = row.err;
    if (const size_t at = err.find("HOME/"); at != std::string::npos) err.replace(at, 5, home.dir);
    const auto r = Run(opArgs);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    held.reset();
    EXPECT_EQ(r.status, row.status) << r.out << r.err;
    if (row.errHas)
        EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
    else if (err.rfind("tavctl: ", 0) == 0)
        EXPECT_EQ(r.err, err + "\n");
    else if (!err.empty())
        EXPECT_EQ(r.err, "Quorvex Panel: " + err + "\n");
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
