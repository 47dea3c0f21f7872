// Which comtav.ini files are read (the user's over the model profile, --model, WINTAV32_HOME),
// and the first-run printer choice through start-up with the stand-in device library.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

#include "FakeDev.h"
#include "pjl/ConfigFiles.h"
#include "pjl/PrinterChoice.h"
#include "pjl/Startup.h"
#include "platform/Ini.h"
#include "RecordingUiHost.h"

using namespace tav;
namespace fs = std::filesystem;

namespace {

class FirstRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        title = "FirstRun " + std::to_string(getpid()) + " " +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        home.Write("langinfo.ini", "[Config]\nEN=English\n[English]\nSTR_FILE=EN.ini\n");
        home.Write("EN.ini", "[ABOUT]\nIDL_APPNAME_P=" + title + "\n[STRING]\nIDS_NOT_RESPOND=No answer.\n");
        home.Write("comtav.ini", "[Common]\nDeviceID=s\nTIMER=7\n[TAB]\nAbout=1\n");
        fs::create_directories(home.dir + "models/ml-2250");
        fs::create_directories(home.dir + "models/empty"); // no profile inside: not a model
        home.Write("models/ml-2250/comtav.ini", "[Common]\nSTRING=ORB\nDeviceID=s\n[TAB]\nPCL=1\n");
        home.Write("lm.ini", "");
        home.Write("cu.ini", "");
        setenv("TAV_REGISTRY_LM", (home.dir + "lm.ini").c_str(), 1);
        setenv("TAV_REGISTRY_CU", (home.dir + "cu.ini").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home.dir + "config").c_str(), 1);
        unsetenv("WINTAV32_HOME");
        if (const char* h = std::getenv("HOME")) savedHome = h;
        userFile = home.dir + "config/wintav32/comtav.ini";
        dev = std::make_unique<tavtest::FakeDev>(home.dir + "libqvdevm.so");
    }
    void TearDown() override {
        unsetenv("TAV_REGISTRY_LM");
        unsetenv("TAV_REGISTRY_CU");
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("WINTAV32_HOME");
        if (savedHome.empty())
            unsetenv("HOME");
        else
            setenv("HOME", savedHome.c_str(), 1);
    }
    void User(const std::string& text) {
        fs::create_directories(home.dir + "config/wintav32");
        std::ofstream(userFile) << text;
    }
    StartupOutcome Run(const std::string& model = {}, const std::string& device = {}) {
        app = std::make_unique<Application>(ui, hooks);
        app->Context().cfg.model = model;
        app->Context().cfg.deviceOverride = device;
        return app->InitInstance(home.dir);
    }
    std::string Opened() const {
        for (const std::string& line : dev->LogLines())
            if (line.find(" DeviceOpen(") != std::string::npos) return line.substr(line.rfind(',') + 1);
        return "";
    }
    tavtest::FakeHome home;
    std::string title, userFile, savedHome;
    RecordingUiHost ui;
    StartupHooks hooks;
    std::unique_ptr<Application> app;
    std::unique_ptr<tavtest::FakeDev> dev;
};

} // namespace

TEST_F(FirstRunTest, TheProfileComesFromTheModelTheUsersFileOrTheProgramFolder) {
    AppConfig cfg;
    cfg.programFolder = home.dir;
    EXPECT_EQ(ResolveConfigFiles(cfg), "");
    EXPECT_EQ(cfg.configFilePath, home.dir + "comtav.ini");
    EXPECT_EQ(cfg.userConfigFilePath, userFile);

    cfg = {};
    cfg.programFolder = home.dir;
    cfg.model = "ml-2250";
    ResolveConfigFiles(cfg);
    EXPECT_EQ(cfg.configFilePath, home.dir + "models/ml-2250/comtav.ini");

    // A model the user's file remembers is used when none is named...
    User("[Profile]\nModel=ml-2250\n");
    cfg = {};
    cfg.programFolder = home.dir;
    ResolveConfigFiles(cfg);
    EXPECT_EQ(cfg.configFilePath, home.dir + "models/ml-2250/comtav.ini");
    // ...and one no longer installed falls back to the default, saying so.
    User("[Profile]\nModel=gone\n");
    cfg = {};
    cfg.programFolder = home.dir;
    EXPECT_NE(ResolveConfigFiles(cfg).find("gone"), std::string::npos);
    EXPECT_EQ(cfg.configFilePath, home.dir + "comtav.ini");

    EXPECT_EQ(ShippedModels(home.dir), std::vector<std::string>{"ml-2250"});
    for (const char* bad : {"", "empty", "../models/ml-2250", "ml-2250/", ".", "..", "nope"})
        EXPECT_EQ(ModelProfilePath(home.dir, bad), "") << bad;

    // A home of its own keeps everything there, as it always has.
    setenv("WINTAV32_HOME", home.dir.c_str(), 1);
    EXPECT_EQ(UserConfigFile(), home.dir + "comtav.ini");
    unsetenv("WINTAV32_HOME");
    setenv("XDG_CONFIG_HOME", "relative/path", 1); // not absolute: ignored, as the XDG rules say
    setenv("HOME", home.dir.c_str(), 1);
    EXPECT_EQ(UserConfigFile(), home.dir + ".config/wintav32/comtav.ini");
}

// A model's data file lies beside its profile, also through a default profile linked into its
// folder as the install makes it; what the folder lacks comes from the program folder.
TEST_F(FirstRunTest, DataFilesComeFromTheModelsFolderFirst) {
    home.Write("models/ml-2250/TypeFace.ini", "model");
    fs::create_symlink("models/ml-2250/comtav.ini", home.dir + "comtav-link.ini");
    AppConfig cfg;
    cfg.programFolder = home.dir;
    cfg.configFilePath = home.dir + "comtav-link.ini";
    EXPECT_EQ(ModelDataFile(cfg, "TypeFace.ini"),
              fs::canonical(home.dir + "models/ml-2250/TypeFace.ini").string());
    EXPECT_EQ(ModelDataFile(cfg, "SymbolSet.ini"), home.dir + "SymbolSet.ini");
}

TEST_F(FirstRunTest, AKeyInTheUsersFileWinsOverTheProfileKeyByKey) {
    User("[common]\ndeviceid=tcp://printer:9101\nTIMER=\n[tab]\nPCL=1\n");
    hooks.runMainWindow = [](AppContext&) {};
    dev->QueueRead(std::string("\x00\x01\x05\xff\x00", 5));
    ASSERT_EQ(Run(), StartupOutcome::Ran);
    const AppContext& ctx = app->Context();
    EXPECT_EQ(ctx.DeviceName(), "tcp://printer:9101");
    EXPECT_EQ(ctx.ConfigInt("Common", "TIMER", 99), 99) << "the user's empty value, not the profile's 7";
    EXPECT_TRUE(ctx.ConfigFlag("TAB", "PCL"));
    EXPECT_TRUE(ctx.ConfigFlag("TAB", "About")) << "what the user's file lacks comes from the profile";
    EXPECT_EQ(ctx.Config("Common", "STRING", "ORB", 6), "ORB");
    EXPECT_EQ(ctx.ConfigFileFor("TAB", "About"), home.dir + "comtav.ini");
    EXPECT_EQ(ctx.ConfigFileFor("Tab", "pcl"), userFile);
}

TEST_F(FirstRunTest, AChoiceIsAskedForOnlyWhenNothingNamesAPrinter) {
    struct Case {
        const char* user; // nullptr: no user file
        const char* profileCommon;
        const char* device;
        bool asked;
    } cases[] = {
        {nullptr, "DeviceID=s", "", true}, // the shipped profile's "s" is not the user's choice
        {"[Common]\nUSB=0\n", "", "", true},
        {"[Common]\nDeviceID=\n", "", "", true},
        {"[Common]\nDeviceID=usb:04f9:2042\n", "", "", false},
        {nullptr, "", "tcp://127.0.0.1:9", false},
        {nullptr, "Debug=1", "", false},
        {nullptr, "AUTOFWUP=1", "", false},
    };
    for (const Case& c : cases) {
        fs::remove_all(home.dir + "config");
        if (c.user) User(c.user);
        home.Write("comtav.ini", std::string("[Common]\n") + c.profileCommon + "\n");
        AppContext ctx(ui);
        ctx.cfg.programFolder = home.dir;
        ctx.cfg.deviceOverride = c.device;
        ResolveConfigFiles(ctx.cfg);
        EXPECT_EQ(NeedsPrinterChoice(ctx), c.asked) << (c.user ? c.user : "-") << " | " << c.profileCommon;
    }
}

TEST_F(FirstRunTest, CancellingTheChoiceEndsBeforeThePrinterIsAsked) {
    int asked = 0, windows = 0;
    hooks.choosePrinter = [&](AppContext&) { return ++asked, false; };
    hooks.runMainWindow = [&](AppContext&) { ++windows; };
    EXPECT_EQ(Run(), StartupOutcome::NoPrinterChosen);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(windows, 0);
    EXPECT_TRUE(dev->Written().empty());
    EXPECT_EQ(dev->Held(), 0);
    EXPECT_FALSE(fs::exists(userFile));

    // With --device the dialog is not shown and start-up goes on as before.
    dev->QueueRead(std::string("\x00\x01\x05\xff\x00", 5));
    EXPECT_EQ(Run("", "tcp://127.0.0.1:9"), StartupOutcome::Ran);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(windows, 1);
}

TEST_F(FirstRunTest, TheChosenPrinterIsTestedSavedAndUsedAtOnceAndNextTime) {
    int answered = -1;
    hooks.choosePrinter = [&](AppContext& ctx) {
        // Test: the settings query goes to the candidate, the configured device stays as it was.
        dev->QueueRead(std::string("\x00\x01\x05\xff\x00", 5));
        answered = TestPrinterChoice(ctx, "tcp://192.0.2.7:9100");
        EXPECT_EQ(Opened(), "tcp://192.0.2.7:9100)");
        EXPECT_EQ(ctx.DeviceName(), "s");
        EXPECT_EQ(dev->Held(), 0);
        dev->Reset();
        dev->QueueRead(std::string("\x00\x01\x05\xff\x00", 5)); // for start-up's own query
        std::string error;
        EXPECT_TRUE(SavePrinterChoice(ctx, "tcp://192.0.2.7:9100", &error)) << error;
        return true;
    };
    hooks.runMainWindow = [](AppContext&) {};
    ASSERT_EQ(Run("ml-2250"), StartupOutcome::Ran);
    EXPECT_NE(answered, 0);
    EXPECT_EQ(Opened(), "tcp://192.0.2.7:9100)") << "start-up's own query goes to the chosen printer";
    EXPECT_EQ(tavtest::Bytes(dev->Written()), "\x1b%-12345X@PJL\r\n@PJL INFO PRINTER = ALL\r\n\x1b%-12345X");
    EXPECT_EQ(ReadIniString(userFile, "Common", "DeviceID", "", 31), "tcp://192.0.2.7:9100");
    EXPECT_EQ(ReadIniString(userFile, "Profile", "Model", "", 64), "ml-2250");

    // The next start, from the desktop without --model, keeps both and asks nothing.
    int asked = 0;
    hooks.choosePrinter = [&](AppContext&) { return ++asked, false; };
    dev->Reset();
    dev->QueueRead(std::string("\x00\x01\x05\xff\x00", 5));
    ASSERT_EQ(Run(), StartupOutcome::Ran);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(app->Context().cfg.configFilePath, home.dir + "models/ml-2250/comtav.ini");

    // No answer to Test is reported as such, with nothing stored.
    AppContext& ctx = app->Context();
    EXPECT_EQ(TestPrinterChoice(ctx, "tcp://192.0.2.8"), 0);
    EXPECT_EQ(ReadIniString(userFile, "Common", "DeviceID", "", 31), "tcp://192.0.2.7:9100");
}

TEST_F(FirstRunTest, ANetworkAddressIsCheckedAndWrittenAsADeviceName) {
    struct Case {
        const char* typed;
        AddressProblem problem;
        const char* stored;
    } cases[] = {
        {"192.0.2.10", AddressProblem::None, "tcp://192.0.2.10"},
        {"  printer.local:9101 ", AddressProblem::None, "tcp://printer.local:9101"},
        {"socket://192.0.2.10:9100", AddressProblem::None, "socket://192.0.2.10:9100"},
        {"tcp://host/", AddressProblem::None, "tcp://host"},
        {"fd00::12", AddressProblem::None, "tcp://[fd00::12]"},
        {"[fd00::12]:9100", AddressProblem::None, "tcp://[fd00::12]:9100"},
        {"", AddressProblem::Empty, ""},
        {"   ", AddressProblem::Empty, ""},
        {"host:", AddressProblem::Invalid, ""},
        {"host:0", AddressProblem::Invalid, ""},
        {"host:65536", AddressProblem::Invalid, ""},
        {"host:91a", AddressProblem::Invalid, ""},
        {"user@host", AddressProblem::Invalid, ""},
        {"host/path", AddressProblem::Invalid, ""},
        {"two words", AddressProblem::Invalid, ""},
        {"[fd00::12", AddressProblem::Invalid, ""},
        {"tcp://", AddressProblem::Invalid, ""},
        {"a-printer-name-with-a-domain-of-its-own.example.org:9100", AddressProblem::None,
         "tcp://a-printer-name-with-a-domain-of-its-own.example.org:9100"},
    };
    for (const Case& c : cases) {
        std::string stored;
        EXPECT_EQ(CheckNetworkAddress(c.typed, &stored), c.problem) << c.typed;
        EXPECT_EQ(stored, c.stored) << c.typed;
    }
    // The longest name the device library takes is stored; one character more is refused.
    const std::string longest(kDeviceIdChars - 6, 'h');
    EXPECT_EQ(CheckNetworkAddress(longest, nullptr), AddressProblem::None);
    EXPECT_EQ(CheckNetworkAddress(longest + "h", nullptr), AddressProblem::TooLong);
}
