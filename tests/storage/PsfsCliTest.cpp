// tavctl psfs against the printer simulator through the real device library: the same manager
// code as the page, with its real waits, so only a few short commands.
#include <gtest/gtest.h>

#include <filesystem>

#include "FakeDev.h"
#include "RunProgram.h"
#include "SimProcess.h"

namespace {

struct PsfsCli : ::testing::Test {
    void SetUp() override {
        std::filesystem::remove(home.dir + "libqvdevm.so");
        std::filesystem::create_symlink(QVDEVM_PATH, home.dir + "libqvdevm.so");
        home.Write("profile.ini",
                   "[Model]\nName = M\n[PSFileSystem]\nType = 2\nHddTotalKB = 1000000\n"
                   "HddFreeKB = 250000\nFonts = %disk0%fonts/Courier 40960, %disk0%fonts/Odd(Name) 2048\n"
                   "Forms = %disk0%forms/Invoice 48213\n");
        sim = std::make_unique<tavtest::SimProcess>(home.dir + "profile.ini");
        home.Write("comtav.ini", "[Common]\nDeviceID=" + sim->DeviceName() + "\n[TAB]\nPrinting=1\nFMU=1\n");
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
                                    {"TAV_DEBUG_FILE", home.dir + "debug.txt"}},
                                   home.dir);
    }
    tavtest::FakeHome home;
    std::unique_ptr<tavtest::SimProcess> sim;
};

} // namespace

TEST_F(PsfsCli, InfoSizesListingAndDelete) {
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
