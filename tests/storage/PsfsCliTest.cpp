// tavctl psfs against the printer simulator through the real device library: the same manager
// code as the page, with its real waits, so only a few short commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "FakeDev.h"
#include "RunProgram.h"
#include "SimProcess.h"
#include "Type1Fonts.h"

namespace {

struct PsfsCli : ::testing::Test {
    void Start(const std::string& profile) {
        std::filesystem::remove(home.dir + "libqvdevm.so");
        std::filesystem::create_symlink(QVDEVM_PATH, home.dir + "libqvdevm.so");
        home.Write("profile.ini", profile);
        sim = std::make_unique<tavtest::SimProcess>(home.dir + "profile.ini");
        home.Write("comtav.ini",
                   "[Common]\nDeviceID=" + sim->DeviceName() + "\n[TAB]\nPrinting=1\nFMU=1\nDOWNLOAD=1\nPS3=1\n");
        home.Write("langinfo.ini", "[Config]\nEN=English\n[English]\nSTR_FILE=lang.ini\n");
        home.Write("lang.ini",
                   "[ABOUT]\nIDL_APPNAME_P=Quorvex Panel\n[STRING]\nIDS_ERRORSTRING=Printer error.\n");
    }
    tavtest::ProgramResult Run(const std::vector<std::string>& args) {
        return tavtest::RunProgram(TAVCTL_PATH, args,
                                   {{"WINTAV32_HOME", home.dir},
                                    {"XDG_RUNTIME_DIR", home.dir},
                                    {"TAV_REGISTRY_LM", home.dir + "lm.ini"},
                                    {"TAV_REGISTRY_CU", home.dir + "cu.ini"},
                                    {"TAV_DEBUG_FILE", home.dir + "debug.txt"},
                                    {"TMPDIR", home.dir}},
                                   home.dir);
    }
    tavtest::FakeHome home;
    std::unique_ptr<tavtest::SimProcess> sim;
};

} // namespace

TEST_F(PsfsCli, InfoSizesListingAndDelete) {
    Start("[Model]\nName = M\n[PSFileSystem]\nType = 2\nHddTotalKB = 1000000\n"
          "HddFreeKB = 250000\nFonts = %disk0%fonts/Courier 40960, %disk0%fonts/Odd(Name) 2048\n"
          "Forms = %disk0%forms/Invoice 48213\n");
    auto info = Run({"psfs", "info"});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.out, "disk\n");

    // Memory is not offered by this printer.
    auto mem = Run({"psfs", "df"});
    EXPECT_EQ(mem.status, 1);
    EXPECT_NE(mem.err.find("no PostScript file system in memory"), std::string::npos) << mem.err;

    auto df = Run({"psfs", "df", "--disk"});
    EXPECT_EQ(df.status, 0) << df.err;
    EXPECT_EQ(df.out, "Total: 1,000,000 KB\nUsed: 750,000 KB\nAvailable: 250,000 KB\n");

    auto rm = Run({"psfs", "rm", "Odd(Name)", "Invoice", "--disk", "--font", "--yes"});
    EXPECT_EQ(rm.status, 1); // Invoice is a form, not a font
    EXPECT_EQ(rm.out, "deleted font Odd(Name)\n");
    EXPECT_NE(rm.err.find("no font named Invoice"), std::string::npos) << rm.err;

    auto ls = Run({"psfs", "ls", "--disk"});
    EXPECT_EQ(ls.status, 0) << ls.err;
    EXPECT_EQ(ls.out, "font Courier\nform Invoice\n");

    // Usage errors send nothing.
    EXPECT_EQ(Run({"psfs", "rm", "Courier", "--disk"}).status, 2);
    EXPECT_EQ(Run({"psfs", "ls", "--font"}).status, 2);
    EXPECT_EQ(Run({"psfs", "put"}).status, 2);
}

// put through the download the page uses: a font under its name and a form under its file name,
// each confirmed by the listing read after it; a font whose name would leave fonts/ is not sent.
// Names are printed as far as they are UTF-8, in the file system's listing and the flash's.
TEST_F(PsfsCli, PutStoresWhatTheListingThenShows) {
    Start("[Model]\nName = M\n[Settings]\nFEATUREFLAGS = 0x287040C5\n[FlashFonts]\nFont1 = 1, 101, Caf\xC3\xA9 \xC2\x9B, 8U\n"
          "[PSFileSystem]\nType = 1\nDimmTotalKB = 16384\nDimmFreeKB = 15872\n"
          "Fonts = %disk1%fonts/Caf\xC3\xA9, %disk1%fonts/Bad\xE9\n");
    home.Write("quill.pfb", tavtest::MakePfb("Quill-Bold"));
    home.Write("letter.ps", "%!PS\nshowpage\n");
    home.Write("evil.pfa", tavtest::MakePfa("../../forms/Invoice"));
    auto put = Run({"psfs", "put", home.dir + "quill.pfb", home.dir + "evil.pfa", home.dir + "letter.ps"});
    EXPECT_EQ(put.status, 1);
    EXPECT_EQ(put.out, "font Quill-Bold\nform letter.ps\n");
    EXPECT_EQ(put.err, "tavctl: " + home.dir + "evil.pfa was not sent: the name holds a slash (/)\n");
    size_t programs = 0;
    for (const auto& job : sim->Jobs())
        programs += std::string(job.begin(), job.end()).find("%!PS\r\n(") != std::string::npos;
    EXPECT_EQ(programs, 2u);

    auto ls = Run({"psfs", "ls"});
    EXPECT_EQ(ls.status, 0) << ls.err;
    EXPECT_EQ(ls.out, "font Caf\xC3\xA9\nfont Bad\\xE9\nfont Quill-Bold\nform letter.ps\n");
    auto flash = Run({"flash", "list"});
    EXPECT_NE(flash.out.find("Caf\xC3\xA9 \\xC2\\x9B"), std::string::npos) << flash.out << flash.err;
    // The form listing's trace lines follow the debug switch.
    auto trace = [&] {
        std::ifstream in(home.dir + "debug.txt");
        return std::string(std::istreambuf_iterator<char>(in), {}).find("FSPSFORMINFO read bytes");
    };
    EXPECT_EQ(Run({"psforms", "list"}).status, 0);
    EXPECT_EQ(trace(), std::string::npos);
    EXPECT_EQ(Run({"psforms", "list", "--debug"}).status, 0);
    EXPECT_NE(trace(), std::string::npos);
    // Every run took its converted font and its temporary folder with it.
    for (const auto& e : std::filesystem::directory_iterator(home.dir))
        EXPECT_NE(e.path().filename().string().rfind("tav-", 0), 0u) << e.path();
}

// A target holding 20 fonts and forms takes no more, from the command line as from the page.
TEST_F(PsfsCli, PutStopsAtTwentyEntries) {
    std::string forms;
    for (int i = 0; i < 20; ++i)
        forms += (i ? ", " : "") + std::string("%disk1%forms/F") + std::to_string(i) + " 100";
    Start("[Model]\nName = M\n[PSFileSystem]\nType = 1\nDimmTotalKB = 16384\nDimmFreeKB = 15872\nForms = " + forms +
          "\n");
    home.Write("letter.ps", "%!PS\nshowpage\n");
    const size_t jobs = sim->Jobs().size();
    auto put = Run({"psfs", "put", home.dir + "letter.ps"});
    EXPECT_EQ(put.status, 1);
    EXPECT_NE(put.err.find("the printer holds 20 fonts and forms there, as many as it takes"), std::string::npos)
        << put.err;
    const auto all = sim->Jobs();
    for (size_t i = jobs; i < all.size(); ++i)
        EXPECT_EQ(std::string(all[i].begin(), all[i].end()).find("%!PS"), std::string::npos);
}
