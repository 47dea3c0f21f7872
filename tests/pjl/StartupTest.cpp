// Start-up through the stand-in device library, with a program folder laid out per test.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <unistd.h>

#include "FakeDev.h"
#include "pjl/Startup.h"
#include <qvdevm/qvdevm.h>
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::FakeDev;

namespace {
const char* kLangInfo = "[Config]\nEN=English\nKR=Korean\n[English]\nPHELP.CHM=help_en.html\nSTR_FILE=EN.ini\n"
                        "[Korean]\nPHELP.CHM=help_kr.html\nSTR_FILE=KR.ini\n";

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        title = "Panel " + std::to_string(getpid()) + " " +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        home.Write("langinfo.ini", kLangInfo);
        const std::string lang = "[ABOUT]\nIDL_APPNAME=" + title + " A\nIDL_APPNAME_C=" + title +
                                 " C\nIDL_APPNAME_P=" + title +
                                 " P\n[STRING]\nIDS_NOT_RESPOND=No answer.\nIDS_ERRORSTRING=Printer error.\n"
                                 "[COMMON]\nIDS_STRING107=Port busy.\n";
        home.Write("EN.ini", lang);
        home.Write("KR.ini", lang);
        regLm = home.dir + "lm.ini";
        regCu = home.dir + "cu.ini";
        setenv("TAV_REGISTRY_LM", regLm.c_str(), 1);
        setenv("TAV_REGISTRY_CU", regCu.c_str(), 1);
        // The user's own comtav.ini would apply over the test's: keep it inside the test's folder.
        setenv("XDG_CONFIG_HOME", (home.dir + "config").c_str(), 1);
        dev = std::make_unique<FakeDev>(home.dir + "libqvdevm.so");
        hooks.runMainWindow = [this](AppContext&) { ++windowRuns; };
    }
    void TearDown() override {
        unsetenv("TAV_REGISTRY_LM");
        unsetenv("TAV_REGISTRY_CU");
        unsetenv("XDG_CONFIG_HOME");
    }
    StartupOutcome Run(const std::string& common, const std::string& extra = {}) {
        home.Write("comtav.ini", "[Common]\n" + common + "\n" + extra);
        app = std::make_unique<Application>(ui, hooks);
        return app->InitInstance(home.dir);
    }
    tavtest::FakeHome home;
    std::string title, regLm, regCu;
    RecordingUiHost ui;
    StartupHooks hooks;
    std::unique_ptr<Application> app;
    std::unique_ptr<FakeDev> dev;
    int windowRuns = 0;
};
}  // namespace

TEST_F(StartupTest, AppNameChoosesTitleKeyRegistryRootAndValue) {
    home.Write("lm.ini", "[Software\\QVPrint\\OEMX]\nZkCntCode=KR\nTavCntCode=EN\n");
    home.Write("cu.ini", "[Software\\QVPrint\\OEMX]\nTavCntCode=KR\nZkCntCode=EN\n");
    EXPECT_EQ(Run("OEMID=OEMX\nDebug=1"), StartupOutcome::Ran);
    EXPECT_EQ(app->Context().GetAppTitleKey(), "IDL_APPNAME_P");
    EXPECT_TRUE(app->Context().cfg.koreanLanguage);
    EXPECT_EQ(app->Context().cfg.langFilePath, home.dir + "KR.ini");
    EXPECT_EQ(app->Context().cfg.helpFilePath, home.dir + "help_kr.html");
    app.reset();

    home.Write("lm.ini", "[Software\\QVPrint\\OEMX]\nZkCntCode=EN\n");
    EXPECT_EQ(Run("APPNAME=0\nOEMID=OEMX\nDebug=1"), StartupOutcome::Ran);
    EXPECT_EQ(app->Context().GetAppTitleKey(), "IDL_APPNAME");
    EXPECT_EQ(app->Context().cfg.langCode, "KR");  // from the current user's TavCntCode
    EXPECT_EQ(app->Context().ProductTitle(), title + " A");
    app.reset();

    EXPECT_EQ(Run("APPNAME=1\nOEMID=OEMX\nDebug=1"), StartupOutcome::Ran);
    EXPECT_EQ(app->Context().GetAppTitleKey(), "IDL_APPNAME_C");
}

TEST_F(StartupTest, EmptyOrMissingRegistryValueIsEnglish) {
    home.Write("lm.ini", "[Software\\QVPrint]\nZkCntCode=\n");
    EXPECT_EQ(Run("Debug=1"), StartupOutcome::Ran);
    EXPECT_EQ(app->Context().cfg.langCode, "EN");
    EXPECT_FALSE(app->Context().cfg.koreanLanguage);
    EXPECT_EQ(app->Context().cfg.langFilePath, home.dir + "EN.ini");
}

TEST_F(StartupTest, UnlistedLanguageFallsBackToEnglishAndAnEmptyFileNameReadsNothing) {
    home.Write("lm.ini", "[Software\\QVPrint]\nZkCntCode=FR\n");
    EXPECT_EQ(Run("Debug=1"), StartupOutcome::Ran);
    EXPECT_EQ(app->Context().cfg.langCode, "FR");
    EXPECT_FALSE(app->Context().cfg.koreanLanguage);
    EXPECT_EQ(app->Context().cfg.langFilePath, home.dir + "EN.ini");
    EXPECT_EQ(app->Context().ProductTitle(), title + " P");
    app.reset();

}

// A language file that is missing, empty or has no name gives a blank window: the user hears
// which file, gets the English texts, or, without those too, the program ends.
TEST_F(StartupTest, AnUnreadableLanguageFileFallsBackToEnglishOrEnds) {
    struct Row {
        const char* langInfo;
        const char* krFile;  // written as KR.ini when not null
        bool englishToo;     // EN.ini removed as well
        StartupOutcome outcome;
        const char* said;
    };
    const std::string kr = "[Config]\nEN=English\nKR=Korean\n[English]\nPHELP.CHM=help_en.html\nSTR_FILE=EN.ini\n"
                           "[Korean]\nPHELP.CHM=help_kr.html\nSTR_FILE=";
    const std::string korean = kr + "KR.ini\n", unnamed = kr + "\n";
    const Row rows[] = {
        {korean.c_str(), nullptr, false, StartupOutcome::Ran, "KR.ini cannot be read; the English texts are used."},
        {korean.c_str(), "", false, StartupOutcome::Ran, "KR.ini cannot be read; the English texts are used."},
        {unnamed.c_str(), nullptr, false, StartupOutcome::Ran, "cannot be read; the English texts are used."},
        {korean.c_str(), nullptr, true, StartupOutcome::LanguageMissing, "and neither can the English one"},
    };
    home.Write("lm.ini", "[Software\\QVPrint]\nZkCntCode=KR\n");
    const std::string english = home.dir + "EN.ini";
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.langInfo) + (row.krFile ? " empty KR.ini" : "") + (row.englishToo ? " no EN" : ""));
        ui = RecordingUiHost();
        home.Write("langinfo.ini", row.langInfo);
        std::filesystem::remove(home.dir + "KR.ini");
        if (row.krFile) home.Write("KR.ini", row.krFile);
        if (row.englishToo) std::filesystem::rename(english, english + ".away");
        EXPECT_EQ(Run("Debug=1"), row.outcome);
        ASSERT_FALSE(ui.Messages().empty());
        EXPECT_NE(ui.Messages()[0].text.find(row.said), std::string::npos) << ui.Messages()[0].text;
        if (row.outcome == StartupOutcome::Ran) {
            EXPECT_EQ(app->Context().cfg.langFilePath, english);
            EXPECT_EQ(app->Context().ProductTitle(), title + " P");
            EXPECT_EQ(windowRuns, 1);
        } else {
            EXPECT_EQ(windowRuns, 0);
            std::filesystem::rename(english + ".away", english);
        }
        windowRuns = 0;
        app.reset();
    }
}

// A record cut short takes the path of a printer that does not answer, never a window of zeros.
TEST_F(StartupTest, ACutShortRecordIsAPrinterThatDoesNotAnswer) {
    hooks.loadSettingsRecord = [](AppContext&) { return false; };
    dev->QueueRead(std::string("\x00\x01\x05\x02", 4));
    EXPECT_EQ(Run("DeviceID=tcp://127.0.0.1:9"), StartupOutcome::NoResponse);
    EXPECT_EQ(windowRuns, 0);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "No answer.");
    EXPECT_EQ(dev->Held(), 0);
}

// A device name is taken up to the library's limit and refused past it, never cut into another
// host or port.
TEST_F(StartupTest, DeviceNamesUpToTheLimitAndNoLonger) {
    const std::string longHost = "tcp://printer.office.example:9100";
    EXPECT_EQ(Run("Debug=1\nDeviceID=" + longHost), StartupOutcome::Ran);
    EXPECT_EQ(app->Context().DeviceName(), longHost);
    app.reset();
    const std::string atLimit = "tcp://" + std::string(QVDEVM_DEVICE_NAME_MAX - 6, 'h');
    EXPECT_EQ(Run("Debug=1\nDeviceID=" + atLimit), StartupOutcome::Ran);
    EXPECT_EQ(app->Context().DeviceName(), atLimit);
    app.reset();
    ui = RecordingUiHost();
    EXPECT_EQ(Run("DeviceID=" + atLimit + "h"), StartupOutcome::BadDeviceName);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_NE(ui.Messages()[0].text.find("longer than 255 characters"), std::string::npos);
    EXPECT_EQ(windowRuns, 2);
    EXPECT_TRUE(dev->Written().empty());
}

TEST_F(StartupTest, OfflineDebugModeAsksNoPrinter) {
    EXPECT_EQ(Run("Debug=1"), StartupOutcome::Ran);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Debug Mode!");
    EXPECT_EQ(ui.Messages()[0].icon, MsgIcon::None);
    EXPECT_EQ(app->Context().store.edited.featureFlags, 0xFFFFFF3Fu);
    EXPECT_EQ(windowRuns, 1);
    for (const auto& line : dev->LogLines()) EXPECT_EQ(line.find("DeviceWrite"), std::string::npos) << line;
}

TEST_F(StartupTest, QueriesThePrinterAndLoadsTheRecord) {
    int loads = 0;
    hooks.loadSettingsRecord = [&](AppContext& ctx) {
        ++loads;
        EXPECT_EQ(ctx.replyBuffer[0], 0x00);
        EXPECT_EQ(ctx.replyBuffer[2], 0x05);
        return true;
    };
    dev->QueueRead(std::string("\x00\x01\x05\xff\x00", 5));
    EXPECT_EQ(Run("DeviceID=tcp://127.0.0.1:9\nTIMER=25"), StartupOutcome::Ran);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(windowRuns, 1);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(tavtest::Bytes(dev->Written()), "\x1b%-12345X@PJL\r\n@PJL INFO PRINTER = ALL\r\n\x1b%-12345X");
    EXPECT_EQ(ui.Waits(), (std::vector<unsigned>{2000, 25}));
    EXPECT_EQ(ui.waitCursorDepth, 0);
    EXPECT_EQ(dev->Held(), 0);  // the port is free while the window runs
}

TEST_F(StartupTest, NoReplyShowsNotRespondAndEnds) {
    EXPECT_EQ(Run(""), StartupOutcome::NoResponse);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "No answer.");
    EXPECT_EQ(ui.Messages()[0].icon, MsgIcon::Error);
    EXPECT_EQ(ui.Messages()[0].caption, title + " P");
    EXPECT_EQ(windowRuns, 0);
    EXPECT_EQ(ui.waitCursorDepth, 0);
}

TEST_F(StartupTest, BusyPortShowsItsMessageAndEnds) {
    dev->Set("acquire", 0);
    EXPECT_EQ(Run(""), StartupOutcome::PortBusy);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Port busy.");
    EXPECT_EQ(windowRuns, 0);
}

TEST_F(StartupTest, SecondCopyEndsSilently) {
    SingleInstance running(title + " P");
    ASSERT_FALSE(running.AlreadyExists());
    EXPECT_EQ(Run("Debug=1"), StartupOutcome::AlreadyRunning);
    EXPECT_TRUE(ui.Messages().empty());
    EXPECT_EQ(windowRuns, 0);
}

TEST_F(StartupTest, MissingLibraryEndsSilently) {
    std::filesystem::remove(home.dir + "libqvdevms.so");
    EXPECT_EQ(Run("QVUSB=1\nDebug=1"), StartupOutcome::LibraryMissing);
    EXPECT_TRUE(ui.Messages().empty());
}

TEST_F(StartupTest, FirmwareUpdateOnlyChecksPresenceThenReadiness) {
    // [Common] and [COMMON] are one section: the firmware keys sit beside the others.
    const std::string fw = "Debug=1\nAUTOFWUP=1\nDeviceID=usb:1234:5678";
    dev->Set("check", 0);
    EXPECT_EQ(Run(fw), StartupOutcome::NotConnected);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Printer is not connected!!");
    EXPECT_NE(dev->Log().find("DeviceCheck(usb:1234:5678,0,0,1)"), std::string::npos);
    EXPECT_EQ(dev->Held(), 0);
    app.reset();
    ui.Clear();

    dev->Reset();
    dev->Set("status0", 0);
    EXPECT_EQ(Run(fw), StartupOutcome::NotReady);
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "Printer is not ready!!");
    EXPECT_EQ(dev->Held(), 0);
    app.reset();
    ui.Clear();

    dev->Reset();
    EXPECT_EQ(Run(fw), StartupOutcome::Ran);
    EXPECT_TRUE(app->FirmwareUpdateOnly());
}

// The check and the transfer talk to the same device: the one --device names, else the whole
// of DeviceID, never one cut at 127 characters.
TEST_F(StartupTest, FirmwareUpdateOnlyChecksTheDeviceTheTransferUses) {
    const std::string longName = "tcp://" + std::string(150, 'p') + ".example:9100";
    for (const auto& [override, checked] : {std::pair<std::string, std::string>{"", longName},
                                            {"tcp://127.0.0.1:9101", "tcp://127.0.0.1:9101"}}) {
        dev->Reset();
        home.Write("comtav.ini", "[Common]\nDebug=1\nAUTOFWUP=1\nDeviceID=" + longName + "\n");
        app = std::make_unique<Application>(ui, hooks);
        app->Context().cfg.deviceOverride = override;
        EXPECT_EQ(app->InitInstance(home.dir), StartupOutcome::Ran);
        EXPECT_NE(dev->Log().find("DeviceCheck(" + checked + ",0,0,1)"), std::string::npos) << dev->Log();
    }
}

TEST(Platform, WindowsVersionIsTheModernOne) { EXPECT_EQ(CheckWindowsVersion(), 3); }
