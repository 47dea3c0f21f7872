// tavctl and the upload against the printer simulator, through the real device library: what
// reaches the printer is what the rules prescribe, the printer takes it, and the record it sends
// back leaves nothing to send but the resolution.
#include <gtest/gtest.h>

#include <cstdlib>

#include <filesystem>

#include "FakeDev.h"
#include "RunProgram.h"
#include "SimProcess.h"
#include "pjl/Pjl.h"
#include "pjl/Resolution.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Upload.h"

using tavtest::ProgramResult;

namespace {
const std::string kUel = "\x1b%-12345X";

std::string Job(const std::vector<std::string>& lines) {
    std::string job = kUel + "@PJL\r\n";
    for (const auto& l : lines) job += l + "\r\n";
    return job + "@PJL INFO PRINTER = ALL\r\n" + kUel;
}

std::string Text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// A standard-brand model whose record carries the printer's resolution codes in full (1 = 600),
// as the Printing page reads them.
const char* kProfile =
    "[Model]\nName = Round trip model\nResolution = FULL\nResidentFonts = 54\n"
    "[Settings]\nPAPER = 0\nCOPIES = 1\nTOPMARGIN = 0\nDUPLEX = 0\nPOWERSAVE = 0\nAUTOCONT = 0\n"
    "ECONOMODE = 0\nPITCH = 1000\nRESOLUTION = 1\n";

class TavctlSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The real device library under its own name, in a program folder of our own.
        std::filesystem::remove(home.dir + "libqvdevm.so");
        std::filesystem::create_symlink(QVDEVM_PATH, home.dir + "libqvdevm.so");
        // The in-process cases take the port lock themselves: in a folder of their own, so no
        // other test running beside them finds the port busy.
        setenv("QVDEVM_LOCK_DIR", home.dir.c_str(), 1);
        home.Write("profile.ini", kProfile);
        sim = std::make_unique<tavtest::SimProcess>(home.dir + "profile.ini");
        home.Write("comtav.ini", "[Common]\nDeviceID=" + sim->DeviceName() + "\n[TAB]\nPrinting=1\n");
        home.Write("langinfo.ini", "[Config]\nEN=English\n[English]\nSTR_FILE=lang.ini\n");
        home.Write("lang.ini", "[ABOUT]\nIDL_APPNAME_P=Quorvex Panel\n[STRING]\n"
                               "IDS_NOT_RESPOND=The printer does not respond.\nIDS_ERRORSTRING=Printer error.\n");
    }
    ProgramResult Run(const std::vector<std::string>& args) {
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
}  // namespace

TEST_F(TavctlSimTest, SetSendsExactlyTheRulesJobAndASecondSendOnlyTheResolution) {
    ProgramResult r = Run({"set", "PAPER=LEGAL", "COPIES=3", "TOPMARGIN=5", "DUPLEX=SHORTEDGE", "POWERSAVE=30",
                           "AUTOCONT=ON", "PITCH=1200"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "PAPER=1\nCOPIES=3\nTOPMARGIN=5\nDUPLEX=2\nPOWERSAVE=4\nAUTOCONT=1\nPITCH=1200\n");
    EXPECT_TRUE(r.err.empty()) << r.err;  // and no value the printer did not take

    ASSERT_TRUE(sim->WaitForEvents(2, 5000, "job"));
    std::vector<tavtest::SimEvent> jobs;
    for (auto& ev : sim->Events())
        if (ev.event == "job") jobs.push_back(ev);
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(Text(jobs[0].bytes), kUel + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + kUel);
    EXPECT_EQ(Text(jobs[1].bytes),
              Job({"@PJL DEFAULT PAPER = LEGAL", "@PJL DEFAULT COPIES = 3", "@PJL DEFAULT TOPMARGIN = 5",
                   "@PJL DEFAULT DUPLEX = ON", "@PJL DEFAULT BINDING = SHORTEDGE", "@PJL DEFAULT POWERSAVE = ON",
                   "@PJL DEFAULT POWERSAVETIME = 30", "@PJL DEFAULT AUTOCONT = ON ", "@PJL DEFAULT PITCH = 12.00",
                   "@PJL DEFAULT RESOLUTION = 600"}));
    EXPECT_EQ(jobs[1].Field("notes"), "") << jobs[1].raw;  // the printer applied every line

    // A value equal to the printer's own changes nothing: only the resolution goes out.
    r = Run({"set", "COPIES=3", "--show-job"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "\\e%-12345X@PJL\\r\\n@PJL DEFAULT RESOLUTION = 600\\r\\n@PJL INFO PRINTER = ALL\\r\\n"
                     "\\e%-12345X\n");
    ASSERT_TRUE(sim->WaitForEvents(4, 5000, "job"));
    EXPECT_EQ(Text(sim->Jobs().back()), Job({"@PJL DEFAULT RESOLUTION = 600"}));

    r = Run({"query"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {"PAPER=1\n", "COPIES=3\n", "DUPLEX=2\n", "POWERSAVE=4\n", "AUTOCONT=1\n",
                             "PITCH=1200\n", "RESOLUTION=0\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
}

TEST_F(TavctlSimTest, TheRecordReadBackMakesBothInstancesEqual) {
    tav::ConsoleUiHost ui;  // the real waits: the printer gets the time it is given in the field
    tav::AppContext ctx(ui);
    ctx.cfg.configFilePath = home.dir + "comtav.ini";
    ASSERT_TRUE(ctx.link.Bind(false, home.dir));
    ASSERT_TRUE(ctx.link.AcquirePort());
    ASSERT_EQ(tav::QueryPrinterSettings(ctx), 1);
    ASSERT_TRUE(tav::LoadSettingsRecord(ctx));
    EXPECT_EQ(ctx.store.reported.resolution, 0); // the printer's 600, as the short list holds it

    ctx.store.edited.economode = 1;
    ctx.store.edited.copies = 7;
    ctx.store.edited.duplex = 1;
    std::string job;
    ASSERT_EQ(tav::UploadSettings(ctx, &job), 1);
    EXPECT_EQ(job, Job({"@PJL DEFAULT COPIES = 7", "@PJL DEFAULT DUPLEX = ON", "@PJL DEFAULT BINDING = LONGEDGE",
                        "@PJL DEFAULT ECONOMODE = ON ", "@PJL DEFAULT RESOLUTION = 600"}));
    ASSERT_TRUE(tav::LoadSettingsRecord(ctx));
    EXPECT_EQ(ctx.store.edited, ctx.store.reported);
    EXPECT_EQ(ctx.store.reported.copies, 7);
    EXPECT_EQ(ctx.store.reported.duplex, 1);
    EXPECT_EQ(ctx.store.reported.economode, 1);

    ASSERT_EQ(tav::UploadSettings(ctx, &job), 1);
    EXPECT_EQ(job, Job({"@PJL DEFAULT RESOLUTION = 600"}));
    ctx.link.ReleasePort();
    EXPECT_EQ(Text(sim->Jobs().back()), job);
}

// A settings record cut short is a failed exchange: exit 1 with the message, and nothing but the
// query goes out (before, the half-read record made the next Send reset unrelated fields).
TEST_F(TavctlSimTest, ACutShortRecordFailsAndSendsNothing) {
    tavtest::SimProcess cut(home.dir + "profile.ini", {"--fault", "truncate=60"});
    home.Write("comtav.ini", "[Common]\nDeviceID=" + cut.DeviceName() + "\n[TAB]\nPrinting=1\n");
    const ProgramResult r = Run({"set", "COPIES=2"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Quorvex Panel: The printer does not respond.\n");
    ASSERT_TRUE(cut.WaitForEvents(1, 5000, "reply"));
    const auto jobs = cut.Jobs();
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(Text(jobs[0]), kUel + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + kUel);
}
