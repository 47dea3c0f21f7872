// tavctl and the upload against the printer simulator, through the real device library: what
// reaches the printer is what the rules prescribe, the printer takes it, and the record it sends
// back leaves nothing to send but the resolution.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include <filesystem>
#include <sstream>

#include "FakeDev.h"
#include "JsonShape.h"
#include "RunProgram.h"
#include "SimProcess.h"
#include "pjl/Pjl.h"
#include "pjl/Resolution.h"
#include "pjl/SettingsFields.h"
#include "pjl/SettingsRecord.h"
#include "pjl/Upload.h"
#include "platform/Platform.h"
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

namespace {
// A printer holding a value past every list the tables spell (the resolution aside: every send
// carries it) and numbers past the pages' ranges, as raw record entries of the profile.
std::string PastEveryListProfile() {
    std::string raw = "[RawEntries]\n";
    const auto entry = [&](const tav::SettingField& f, uint32_t v) {
        char bytes[32];
        std::snprintf(bytes, sizeof bytes, "%u = %02x %0*x\n", f.index, f.width, 2 * f.width, v); // width, value
        raw += bytes;
    };
    for (const tav::SettingField* f : tav::FieldsInRecordOrder())
        if (f->table && f->Settable() && f->send != tav::SendAs::Resolution)
            entry(*f, static_cast<uint32_t>(f->table(tav::TableChoice{}).size()) + f->extra);
    entry(*tav::FindField("COPIES"), 0);
    entry(*tav::FindField("FONTNUMBER"), 200);
    return std::string(kProfile) + raw;
}

// query --json: every field of its one type, a string where it has a list (and FEATUREFLAGS),
// else an integer; numeric, an integer each.
std::string QueryShape(bool numeric) {
    std::string shape;
    for (const tav::SettingField* f : tav::FieldsInRecordOrder())
        shape += (shape.empty() ? "{\"" : ", \"") + std::string(f->name) + "\": \"" +
                 (!numeric && (f->table || f->index == tav::kFeatureFlagsIndex) ? "string\"" : "integer\"");
    return shape + "}";
}
}  // namespace

// What query, query --numeric and backup print, fed back to set, set and restore, sends nothing but
// the resolution and leaves the printer as it was: on both models the simulator plays, and on a
// printer holding values past every list. Its JSON keeps each field's type on all three.
TEST_F(TavctlSimTest, EveryRoundTripChangesNothing) {
    home.Write("past.ini", PastEveryListProfile());
    for (const std::string profile : {"mono-pcl", "color-ps", "past"}) {
        tavtest::SimProcess model(profile == "past" ? home.dir + "past.ini" : profile);
        home.Write("comtav.ini", "[Common]\nDeviceID=" + model.DeviceName() + "\n[TAB]\nPrinting=1\n");
        const ProgramResult before = Run({"query"});
        ASSERT_EQ(before.status, 0) << before.err;
        EXPECT_EQ(tavtest::JsonShapeProblem(Run({"query", "--json"}).out, QueryShape(false)), "") << profile;
        EXPECT_EQ(tavtest::JsonShapeProblem(Run({"query", "--numeric", "--json"}).out, QueryShape(true)), "") << profile;
        for (const std::string way : {"query", "query --numeric", "backup"}) {
            SCOPED_TRACE(profile + ", " + way);
            std::vector<std::string> args = {"restore", home.dir + "saved.ini"};
            if (way == "backup") {
                ASSERT_EQ(Run({"backup", home.dir + "saved.ini"}).status, 0);
            } else {
                const ProgramResult printed = Run(way == "query" ? std::vector<std::string>{"query"}
                                                                 : std::vector<std::string>{"query", "--numeric"});
                args = {"set"};
                for (const std::string& line : Words(printed.out)) args.push_back(line);
            }
            args.push_back("--show-job");
            const ProgramResult r = Run(args);
            ASSERT_EQ(r.status, 0) << r.err;
            const std::vector<std::string> shown = Words(r.out);
            ASSERT_EQ(shown.size(), 1u) << r.out;  // the job, and no line of a changed setting
            EXPECT_EQ(shown[0].find("@PJL DEFAULT"), shown[0].find("@PJL DEFAULT RESOLUTION = ")) << shown[0];
            EXPECT_EQ(shown[0].find("@PJL DEFAULT"), shown[0].rfind("@PJL DEFAULT")) << shown[0];
            EXPECT_EQ(Run({"query"}).out, before.out);
        }
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

    // The file is read by the INI rules, and one with nothing to restore is refused.
    for (const auto& [text, status] : {std::pair{"", 2}, {"; a note\n[Other]\nCOPIES = 4\n", 2},
                                       {"[ settings ]\ncopies = \"4\"\nCOPIES = 5\n", 0}}) {
        home.Write("file.ini", text);
        r = Run({"restore", home.dir + "file.ini"});
        EXPECT_EQ(r.status, status) << text;
        EXPECT_EQ(r.err.find("holds no setting this model takes") != std::string::npos, status == 2) << r.err;
    }
    EXPECT_NE(Run({"query"}).out.find("\nCOPIES=4\n"), std::string::npos);
    // The custom size goes only with the custom paper: a backup of another paper leaves it be.
    ASSERT_EQ(Run({"set", "PAPER=CUSTOM", "CUSTOMWIDTH=150", "CUSTOMHEIGHT=250"}).status, 0);
    r = Run({"restore", home.dir + "saved.ini"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("CUSTOMWIDTH and CUSTOMHEIGHT not restored"), std::string::npos) << r.err;
    const std::string now = Run({"query"}).out;
    EXPECT_TRUE(now.find("PAPER=LETTER\n") == 0 && now.find("\nCUSTOMWIDTH=150\n") != std::string::npos) << now;
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

// A name that cannot be a device is refused with the library's reason, status 2, and nothing is
// tried with it (a printer that refuses says why in the fault matrix).
TEST_F(TavctlSimTest, ADeviceNameThatNamesNoDeviceIsRefusedWithTheReason) {
    home.Write("lang.ini", "[ABOUT]\nIDL_APPNAME_P=Quorvex Panel\n[STRING]\nIDS_DEV_BADNAME=No device %1 (%2).\n");
    for (const auto& [device, why] : {std::pair{"bogus", "unknown device name"}, {"tcp://", "no host"},
                                      {"tcp://127.0.0.1:99999", "bad port"},
                                      {"tcp://::1:9100", "IPv6 addresses need brackets"}, {"usb:zz", "usb: needs VID:PID"}}) {
        const ProgramResult r = Run({"--device", device, "query"});
        EXPECT_EQ(r.status, 2) << device;
        EXPECT_EQ(r.err, "Quorvex Panel: No device " + std::string(device) + " (" + why + ").\n");
        EXPECT_TRUE(r.waits.empty()) << device; // no exchange was waited for
    }
}

// Copies on different printers run side by side, whatever other copy of the program runs; one on
// a printer another program is using waits --wait seconds for it, then ends with status 4.
TEST_F(TavctlSimTest, APrinterInUseIsWaitedForAndTheOthersAreNot) {
    home.Write("lang.ini", "[ABOUT]\nIDL_APPNAME_P=Quorvex Panel\n[COMMON]\nIDS_STRING107=The port is busy.\n");
    setenv("XDG_RUNTIME_DIR", home.dir.c_str(), 1);
    const tav::SingleInstance window("Quorvex Panel"); // the window's one-copy lock, held
    const tavtest::SimProcess other(home.dir + "profile.ini");
    tav::RecordingUiHost ui;
    tav::AppContext holder(ui);
    ASSERT_TRUE(holder.link.Bind(false, home.dir));
    holder.cfg.deviceOverride = sim->DeviceName();
    ASSERT_TRUE(holder.link.AcquirePort());

    EXPECT_EQ(Run({"--device", other.DeviceName(), "query"}).status, 0);
    ProgramResult r = Run({"--wait", "1", "query"});
    EXPECT_EQ(r.status, 4);
    EXPECT_EQ(r.err, "Quorvex Panel: The port is busy.\n");
    EXPECT_EQ(r.waits, std::vector<unsigned>(4, tav::kPortRetryMs));
    EXPECT_EQ(Run({"query"}).waits, std::vector<unsigned>{}); // no --wait: no wait
    holder.link.ReleasePort();
    r = Run({"--wait=1", "query"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.waits, std::vector<unsigned>{2000}); // start-up's own, and none for the port
}

// Every --json the man page documents prints the shape it shows, against a printer with something
// in every list (query's fields, each of its one type, in the round trips).
TEST_F(TavctlSimTest, EveryJsonOutputHasTheShapeThePageDocuments) {
    const auto shapes = tavtest::ManPageJsonShapes(tavtest::ReadFileText(TAVCTL_MAN_PAGE));
    ASSERT_EQ(shapes.size(), 8u);
    const tavtest::SimProcess color("color-ps");
    home.Write("comtav.ini", "[Common]\nDeviceID=" + color.DeviceName() + "\n[TAB]\nPrinting=1\nDOWNLOAD=1\nFMU=1\nPS3=1\n");
    const std::string usb = "sys/bus/usb/devices/1-1";  // one USB printer in a sysfs of the test's own
    for (const auto& [file, text] : {std::pair{"/idVendor", "04e8"}, {"/idProduct", "3301"}, {":1.0/bInterfaceClass", "07"},
                                     {":1.0/bInterfaceSubClass", "01"}, {":1.0/ieee1284_id", "MFG:Quorvex;MDL:\xff;"}}) {
        std::filesystem::create_directories(std::filesystem::path(home.dir + usb + file).parent_path());
        home.Write(usb + file, std::string(text) + "\n");
    }
    for (const auto& [command, shape] : shapes) {
        std::vector<std::string> args;
        std::istringstream words(command);
        for (std::string w; words >> w;) args.push_back(w);
        if (args[0] == "psfs") args.push_back("--disk");
        if (args[0] == "devices") args.insert(args.begin() + 1, {"--probe", color.DeviceName().substr(6)});
        const ProgramResult r = Run(args, {{"TAV_SYSFS_ROOT", home.dir + "sys"}});
        ASSERT_EQ(r.status, 0) << command << ": " << r.err;
        EXPECT_EQ(tavtest::JsonShapeProblem(r.out, shape), "") << command << ": " << r.out;
        EXPECT_EQ(r.out.find("[]"), std::string::npos) << command << ": every list holds something here";
    }
}
