// The simulator's flash store: downloads that are not framed as the printer expects are noted
// and ignored, never half-stored.
#include <gtest/gtest.h>

#include "Printer.h"
#include "Profile.h"

using namespace tavsim;

namespace {
const std::string kUel = "\x1b%-12345X";

std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

std::string Notes(const JobResult& r) {
    std::string all;
    for (const auto& n : r.notes)
        all += n + "\n";
    return all;
}
} // namespace

TEST(SimFlashStoreTest, DownloadsAreTakenOnlyWhenWhole) {
    Profile profile;
    Printer p(profile);
    struct Case {
        std::string job;
        size_t fonts, macros, forms;
        const char* note; // part of the note, or nullptr for none
    };
    const Case cases[] = {
        {"@PJL FSDOWNLOADFONT\r\n\x1b*c12Dfontdata" + kUel, 1, 0, 0, nullptr},
        {"@PJL FSDOWNLOADFONT\r\n\x1b*c99D\x1b*c12Dother" + kUel, 1, 0, 0, "replaced"}, // its own ID wins
        {"@PJL FSDOWNLOADFONT\r\nfontdata" + kUel, 1, 0, 0, "font ID command"},
        {"@PJL FSDOWNLOADFONT\r\n\x1b*c13D" + kUel, 1, 0, 0, "no font data"},
        // A line inside the data is data, not a command.
        {"@PJL FSDOWNLOADMACRO\r\n\x1b&f5Y\x1b&f0X\n@PJL FSDELETEFONTALL\r\n\x1b&f1X" + kUel, 1, 1, 0,
         nullptr},
        {"@PJL FSDOWNLOADMACRO\r\n\x1b&f6Y\x1b&f0Xunclosed" + kUel, 1, 1, 0, "not closed"},
        {"@PJL SET PSFORMNAME=/home/u/Memo.ps\n@PJL SET PSFORMSIZE=4\n@PJL FSDOWNLOADPSFORM\r\n%!PS" + kUel,
         1, 1, 1, nullptr},
        {"@PJL SET PSFORMNAME=/home/u/Short.ps\n@PJL SET PSFORMSIZE=9\n@PJL FSDOWNLOADPSFORM\r\n%!PS" + kUel,
         1, 1, 1, "PSFORMSIZE said 9"},
        {"@PJL FSDOWNLOADPSFORM\r\n%!PS" + kUel, 1, 1, 1, "without PSFORMNAME"},
        {kUel + "@PJL\r\n@PJL FSMACROID = 9\r\n" + kUel, 1, 1, 1, "no macro 9"},
        {kUel + "@PJL\r\n@PJL FSDELETEFONT = 99\r\n" + kUel, 1, 1, 1, "no font 99"},
        {kUel + "@PJL\r\n@PJL FORMAT FLASH\r\n" + kUel, 0, 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.job);
        const JobResult r = p.RunJob(Bytes(c.job));
        EXPECT_EQ(p.FontInfo()[1], c.fonts);
        EXPECT_EQ(p.MacroInfo()[1], c.macros);
        EXPECT_EQ(p.FormInfo()[3], c.forms);
        if (c.note) {
            EXPECT_NE(Notes(r).find(c.note), std::string::npos) << Notes(r);
        } else {
            EXPECT_EQ(Notes(r), "");
        }
    }
}

TEST(SimFlashStoreTest, ActiveMacroFollowsEnableAndDelete) {
    Profile profile;
    Printer p(profile);
    p.RunJob(Bytes("@PJL FSDOWNLOADMACRO\r\n\x1b&f300Y\x1b&f0Xm\x1b&f1X" + kUel));
    p.RunJob(Bytes(kUel + "@PJL\r\n@PJL FSMACROID = 300\r\n" + kUel));
    EXPECT_EQ(p.Settings().value[91], 300u);
    p.RunJob(Bytes(kUel + "@PJL\r\n@PJL FSDELETEMACRO = 300\r\n" + kUel));
    EXPECT_EQ(p.Settings().value[91], 65535u);
    EXPECT_EQ(p.MacroInfo(), (std::vector<uint8_t>{0, 0}));
}
