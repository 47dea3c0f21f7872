// tavctl and the upload against the printer simulator, through the real device library: what
// reaches the printer is what the rules prescribe, the printer takes it, and the record it sends
// back leaves nothing to send but the resolution.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include <filesystem>

#include "FakeDev.h"
#include "RunProgram.h"
#include "SimProcess.h"
#include "pjl/Pjl.h"
#include "pjl/Resolution.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Upload.h"
#include "RecordingUiHost.h"

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
        // A reply ends after 0.1 s of quiet, not the default quarter second: the simulator sends
        // each reply at once.
        setenv("QVDEVM_QUIET_MS", "100", 1);
        home.Write("profile.ini", kProfile);
        sim = std::make_unique<tavtest::SimProcess>(home.dir + "profile.ini");
        home.Write("comtav.ini", "[Common]\nDeviceID=" + sim->DeviceName() + "\n[TAB]\nPrinting=1\n");
        home.Write("langinfo.ini", "[Config]\nEN=English\n[English]\nSTR_FILE=lang.ini\n");
        home.Write("lang.ini", "[ABOUT]\nIDL_APPNAME_P=Quorvex Panel\n[STRING]\n"
                               "IDS_NOT_RESPOND=The printer does not respond.\nIDS_ERRORSTRING=Printer error.\n");
    }
    ProgramResult Run(const std::vector<std::string>& args, const std::map<std::string, std::string>& extra = {}) {
        std::map<std::string, std::string> env = {{"WINTAV32_HOME", home.dir},
                                                  {"XDG_RUNTIME_DIR", home.dir},
                                                  {"TAV_REGISTRY_LM", home.dir + "lm.ini"},
                                                  {"TAV_REGISTRY_CU", home.dir + "cu.ini"},
                                                  {"TAV_DEBUG_FILE", home.dir + "debug.txt"}};
        for (const auto& [k, v] : extra) env[k] = v;
        return tavtest::RunProgram(TAVCTL_PATH, args, env, home.dir);
    }

    tavtest::FakeHome home;
    std::unique_ptr<tavtest::SimProcess> sim;
};
}  // namespace

TEST_F(TavctlSimTest, SetSendsExactlyTheRulesJobAndASecondSendOnlyTheResolution) {
    ProgramResult r = Run({"set", "PAPER=LEGAL", "COPIES=3", "TOPMARGIN=5", "DUPLEX=SHORTEDGE", "POWERSAVE=30",
                           "AUTOCONT=ON", "PITCH=1200"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "PAPER=LEGAL\nCOPIES=3\nTOPMARGIN=5\nDUPLEX=SHORTEDGE\nPOWERSAVE=30\nAUTOCONT=ON\nPITCH=1200\n");
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
    for (const char* line : {"PAPER=LEGAL\n", "COPIES=3\n", "DUPLEX=SHORTEDGE\n", "POWERSAVE=30\n", "AUTOCONT=ON\n",
                             "PITCH=1200\n", "RESOLUTION=600\n"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << r.out;
}

TEST_F(TavctlSimTest, TheRecordReadBackMakesBothInstancesEqual) {
    tav::RecordingUiHost ui;
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
    ui.Clear();
    ASSERT_EQ(tav::UploadSettings(ctx, &job), 1);
    EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{1000, 1500}));  // the printer's time to store them
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

namespace {
std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        out.push_back(text.substr(start, nl - start));
    return out;
}
}  // namespace

// What query prints, fed back to set, sends nothing but the resolution and leaves the record as
// it was, on every model the simulator plays.
TEST_F(TavctlSimTest, QueryFedBackToSetChangesNothingOnEveryModel) {
    for (const char* profile : {"mono-pcl", "color-ps", "profile"}) {
        SCOPED_TRACE(profile);
        tavtest::SimProcess model(std::string(profile) == "profile" ? home.dir + "profile.ini" : profile);
        home.Write("comtav.ini", "[Common]\nDeviceID=" + model.DeviceName() + "\n[TAB]\nPrinting=1\n");
        const ProgramResult before = Run({"query"});
        ASSERT_EQ(before.status, 0) << before.err;
        std::vector<std::string> args = {"set", "--show-job"};
        for (const std::string& line : Words(before.out)) args.push_back(line);
        const ProgramResult r = Run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::vector<std::string> shown = Words(r.out);
        ASSERT_EQ(shown.size(), 1u) << r.out;  // the job, and no line of a changed setting
        EXPECT_EQ(shown[0].find("@PJL DEFAULT"), shown[0].rfind("@PJL DEFAULT")) << shown[0];
        EXPECT_NE(shown[0].find("@PJL DEFAULT RESOLUTION = "), std::string::npos) << shown[0];
        const ProgramResult after = Run({"query"});
        EXPECT_EQ(after.out, before.out);

        // The stored numbers read back through #N as well.
        const ProgramResult numeric = Run({"query", "--numeric"});
        ASSERT_EQ(numeric.status, 0);
        EXPECT_NE(numeric.out.find("\nRESOLUTION=" ), std::string::npos);
        EXPECT_NE(numeric.out, before.out);
        const ProgramResult json = Run({"query", "--json"});
        ASSERT_EQ(json.status, 0);
        EXPECT_EQ(json.out.rfind("{\"PAPER\": \"", 0), 0u) << json.out;
        EXPECT_NE(json.out.find(", \"COPIES\": 1, "), std::string::npos) << json.out;
    }
}

TEST_F(TavctlSimTest, BackupChangeOnThePrinterRestore) {
    const ProgramResult before = Run({"query"});
    ASSERT_EQ(before.status, 0) << before.err;
    ASSERT_EQ(Run({"backup", home.dir + "saved.ini"}).status, 0);
    const std::string saved = tavtest::ReadFileText(home.dir + "saved.ini");
    EXPECT_EQ(saved.rfind("; tavctl backup", 0), 0u) << saved;
    EXPECT_NE(saved.find("\n[Settings]\nPAPER = LETTER\n"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("FEATUREFLAGS"), std::string::npos);  // read only: not restored

    ASSERT_EQ(Run({"set", "PAPER=LEGAL", "COPIES=9", "AUTOCONT=ON"}).status, 0);
    ASSERT_NE(Run({"query"}).out, before.out);

    // Restored as one Send of what differs.
    ProgramResult r = Run({"restore", home.dir + "saved.ini", "--show-job"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Words(r.out)[0], "\\e%-12345X@PJL\\r\\n@PJL DEFAULT PAPER = LETTER\\r\\n@PJL DEFAULT COPIES = 1\\r\\n"
                               "@PJL DEFAULT AUTOCONT = OFF\\r\\n@PJL DEFAULT RESOLUTION = 600\\r\\n"
                               "@PJL INFO PRINTER = ALL\\r\\n\\e%-12345X");
    EXPECT_EQ(Run({"query"}).out, before.out);

    // Another model's file: what applies is restored, the rest is named; a bad value stops it all.
    home.Write("other.ini", "; other\n[Settings]\nCOPIES = 4\nWIDGETS = 3\nRESOLUTION = 9600DPI\n");
    r = Run({"restore", home.dir + "other.ini"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "tavctl: skipped WIDGETS: this model does not take it\n"
                     "tavctl: skipped RESOLUTION=9600DPI: this model does not take it\n");
    EXPECT_EQ(r.out, "COPIES=4\n");
    const size_t jobsBefore = sim->Jobs().size();
    home.Write("bad.ini", "[Settings]\nCOPIES = 4000\nPAPER = A4\n");
    r = Run({"restore", home.dir + "bad.ini"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("COPIES takes 1 to 999, not 4000"), std::string::npos) << r.err;
    // A FIFO named as the backup would block a plain open for ever.
    ASSERT_EQ(mkfifo((home.dir + "fifo.ini").c_str(), 0600), 0);
    r = Run({"restore", home.dir + "fifo.ini"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("fifo.ini: not a regular file"), std::string::npos) << r.err;
    r = Run({"set", "FEATUREFLAGS=0x12345678"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("FEATUREFLAGS is read only (the printer reports 0x"), std::string::npos) << r.err;
    EXPECT_EQ(sim->Jobs().size(), jobsBefore + 2);  // the start-up queries of the second run only
}

TEST_F(TavctlSimTest, DevicesProbeListsAPrinterThatAnswers) {
    const std::string name = sim->DeviceName();  // tcp://127.0.0.1:PORT
    const ProgramResult r = Run({"devices", "--probe", name.substr(6)});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find(name + "\tnetwork\t-\t\n"), std::string::npos) << r.out;
}

// Default waits 4 s between its job and the read of the factory settings, longer than a link
// lingers: the operation's port hold keeps the link, so the reply is not lost with it. Here the
// waits are spent at a tenth and the link lingers 0.1 s, so the wait still outlasts the linger.
// In the two-library mode (QVUSB=1) the port is held through one library and the link is the
// other's.
TEST_F(TavctlSimTest, DefaultReadsTheFactorySettingsAfterItsLongWait) {
    std::filesystem::remove(home.dir + "libqvdevms.so");
    std::filesystem::create_symlink(QVDEVMS_PATH, home.dir + "libqvdevms.so");
    for (const char* twoLibraries : {"0", "1"}) {
        home.Write("comtav.ini", "[Common]\nDeviceID=" + sim->DeviceName() + "\nQVUSB=" + twoLibraries +
                                     "\n[TAB]\nPrinting=1\n");
        ProgramResult r = Run({"set", "COPIES=4"});
        ASSERT_EQ(r.status, 0) << r.err;
        r = Run({"default"}, {{"TAV_TEST_WAIT_DIVISOR", "10"}, {"QVDEVM_LINGER_MS", "100"}});
        ASSERT_EQ(r.status, 0) << twoLibraries << r.err;
        EXPECT_EQ(r.waits, (std::vector<unsigned>{2000, 4000}));
        EXPECT_NE(r.out.find("COPIES=1\n"), std::string::npos) << r.out;
        const auto jobs = sim->Jobs();
        ASSERT_FALSE(jobs.empty());
        EXPECT_EQ(Text(jobs.back()), kUel + "@PJL\r\n@PJL INITIALIZE\r\n@PJL INFO PRINTER = ALL\r\n" + kUel);
    }
}
