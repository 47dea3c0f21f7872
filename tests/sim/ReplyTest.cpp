// The simulator's other replies, byte for byte, and its diagnostic display.
#include <gtest/gtest.h>

#include "Printer.h"
#include "Profile.h"

using namespace tavsim;
using Bytes = std::vector<uint8_t>;

namespace {
const std::string U = "\x1b%-12345X";

Printer Make(const std::string& text) {
    Profile p;
    std::string error;
    EXPECT_TRUE(ParseProfile(IniFile::Parse(text), p, error)) << error;
    return Printer(p);
}

JobResult Job(Printer& pr, const std::string& lines) {
    std::string j = U + "@PJL\r\n" + lines + U;
    return pr.RunJob(Bytes(j.begin(), j.end()));
}

Bytes B(const std::string& s) { return Bytes(s.begin(), s.end()); }
}  // namespace

TEST(Replies, InformationReportItemsInTypeOrderAndClosed) {
    Printer pr = Make("[Information]\nHeader = 12 34\n23 = 72\n1 = ML\n50 = \n");
    auto r = Job(pr, "@PJL INFO INFORMATION=ALL\r\n");
    ASSERT_EQ(r.replies.size(), 1u);
    EXPECT_EQ(r.replies[0].bytes, (Bytes{0x12, 0x34, 1, 2, 'M', 'L', 23, 2, '7', '2', 50, 0, 0xff, 0}));
}

TEST(Replies, StorageListings) {
    Printer pr = Make(
        "[FlashFonts]\nA = 7, 0x1234, Univers, 8U\nB = 9, 2, ABCDEFGHIJKLMNOPQRST, 19U\n"
        "[FlashMacros]\nIds = 1, 300\n[PSForms]\nF = Inv, 258\n");
    auto r = Job(pr, "@PJL FSFONTINFO\r\n@PJL FSMACROINFO\r\n@PJL FSPSFORMINFO\r\n");
    ASSERT_EQ(r.replies.size(), 3u);
    Bytes fonts = {0, 2};
    Bytes f1 = {7, 0x12, 0x34, 'U', 'n', 'i', 'v', 'e', 'r', 's'};
    f1.resize(23, 0);
    f1.insert(f1.end(), {'8', 'U', ' '});
    Bytes f2 = {9, 0, 2};
    for (char c = 'A'; c <= 'T'; ++c) f2.push_back(uint8_t(c));
    f2.insert(f2.end(), {'1', '9', 'U'});
    fonts.insert(fonts.end(), f1.begin(), f1.end());
    fonts.insert(fonts.end(), f2.begin(), f2.end());
    EXPECT_EQ(r.replies[0].cmd, "FSFONTINFO");
    EXPECT_EQ(r.replies[0].bytes, fonts);
    EXPECT_EQ(r.replies[1].bytes, (Bytes{0, 2, 0, 1, 0x01, 0x2c}));
    EXPECT_EQ(r.replies[2].bytes, (Bytes{0, 0, 0, 1, 0, 0, 0, 7, 0, 0, 1, 2, 'I', 'n', 'v'}));

    Printer empty = Make("");
    r = Job(empty, "@PJL FSFONTINFO\r\n@PJL FSMACROINFO\r\n@PJL FSPSFORMINFO\r\n");
    ASSERT_EQ(r.replies.size(), 3u);
    EXPECT_EQ(r.replies[0].bytes, (Bytes{0, 0}));
    EXPECT_EQ(r.replies[1].bytes, (Bytes{0, 0}));
    EXPECT_EQ(r.replies[2].bytes, (Bytes{0, 0, 0, 0}));
}

TEST(Replies, StatusTestPrintsAndUnknownCommands) {
    Printer pr = Make("[Status]\nCode = 40021\nDisplay = COVER OPEN\nOnline = FALSE\n[TestPrints]\nNames = CONFIG, PCLMACRO\n");
    auto r = Job(pr, "@PJL INFO STATUS\r\n@PJL TEST PRINT = CONFIG\r\n@PJL TEST PRINT = pclmacro\r\n"
                     "@PJL TEST PRINT = DEMO\r\n@PJL FROB\r\n@PJL INFO PRINTER\r\nnot pjl\r\n@PJLINFO STATUS\r\n");
    ASSERT_EQ(r.replies.size(), 1u);
    EXPECT_EQ(r.replies[0].bytes, B("@PJL INFO STATUS\r\nCODE=40021\r\nDISPLAY=\"COVER OPEN\"\r\nONLINE=FALSE\r\n\f"));
    EXPECT_EQ(r.printed, (std::vector<std::string>{"CONFIG", "PCLMACRO"}));
    EXPECT_EQ(r.notes, (std::vector<std::string>{"TEST PRINT: no such page \"DEMO\"", "unknown command: FROB",
                                                 "INFO PRINTER without ALL: INFO PRINTER"}));
    EXPECT_EQ(r.commands.size(), 6u);
}

TEST(Replies, DiagnosticDisplayWalksTheMenuTree) {
    Printer pr = Make(
        "[NuxMenu]\nHome1 = ENGINE MODE\nHome2 = READY\nTitle = DIAG\nItems = TEST, FUSER\n"
        "[NuxMenu/TEST]\nItems = MOTOR, A VERY LONG ENTRY NAME\n[NuxMenu/TEST/MOTOR]\nAction = MOTOR OK\n"
        "[NuxMenu/FUSER]\nValues = 170C, 175C, 180C\nValue = 175C\n");
    auto press = [&](const char* key) {
        auto r = Job(pr, std::string("@PJL ENGINE NUX_BUTTON=") + key + "\r\n");
        EXPECT_EQ(r.replies.size(), 1u);
        Bytes b = r.replies.empty() ? Bytes{} : r.replies[0].bytes;
        EXPECT_EQ(b.size(), 33u);
        b.resize(33);
        auto line = [&](size_t from) {
            std::string s;
            for (size_t i = from; i < from + 16 && b[i]; ++i) s += char(b[i]);
            return s;
        };
        return std::to_string(b[0]) + "|" + line(1) + "|" + line(17);
    };
    EXPECT_EQ(press("1"), "0|READY|");  // not in diagnostic mode yet: the status line
    auto r = Job(pr, "@PJL ENGINE NUX_MODE=True\r\n");
    EXPECT_TRUE(r.replies.empty());  // entering the mode answers nothing
    EXPECT_EQ(press("4"), "1|ENGINE MODE|READY");
    EXPECT_EQ(press("1"), "1|DIAG|TEST");
    EXPECT_EQ(press("4"), "1|DIAG|FUSER");
    EXPECT_EQ(press("4"), "1|DIAG|TEST");  // wraps
    EXPECT_EQ(press("3"), "1|TEST|MOTOR");
    EXPECT_EQ(press("3"), "1|MOTOR|MOTOR OK");
    EXPECT_EQ(press("5"), "1|TEST|MOTOR");
    EXPECT_EQ(press("2"), "1|TEST|A VERY LONG ENTR");  // cut to 16
    EXPECT_EQ(press("5"), "1|DIAG|TEST");
    EXPECT_EQ(press("2"), "1|DIAG|FUSER");
    EXPECT_EQ(press("3"), "1|FUSER|*175C");
    EXPECT_EQ(press("4"), "1|FUSER|180C");
    EXPECT_EQ(press("3"), "1|FUSER|*180C");  // stored
    EXPECT_EQ(press("5"), "1|DIAG|FUSER");
    EXPECT_EQ(press("3"), "1|FUSER|*180C");
    EXPECT_EQ(press("5"), "1|DIAG|FUSER");
    EXPECT_EQ(press("5"), "1|ENGINE MODE|READY");
    r = Job(pr, "@PJL ENGINE NUX_BUTTON=9\r\n");
    ASSERT_EQ(r.notes.size(), 1u);
    EXPECT_EQ(r.notes[0], "ENGINE NUX_BUTTON: unknown key \"9\"");
}
