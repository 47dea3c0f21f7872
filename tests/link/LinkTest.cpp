// The link through a real shared object that logs each call: the exact call sequences.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include <filesystem>
#include <memory>

#include "FakeDev.h"
#include "pjl/AppContext.h"
#include "RecordingUiHost.h"

using namespace tav;
using tavtest::FakeDev;
using tavtest::FakeHome;
using Lines = std::vector<std::string>;

namespace {
class LinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        home.Write("comtav.ini", "[Common]\nDeviceID=tcp://127.0.0.1:9100\n");
        home.Write("EN.ini", "[COMMON]\nIDS_STRING107=The printer port is in use.\n[ABOUT]\nIDL_APPNAME_P=Panel\n");
        ctx.cfg.configFilePath = home.dir + "comtav.ini";
        ctx.cfg.langFilePath = home.dir + "EN.ini";
    }
    void BindOne() {
        ASSERT_TRUE(ctx.link.Bind(false, home.dir));
        dev = std::make_unique<FakeDev>(home.dir + "libqvdevm.so");
    }
    FakeHome home;
    RecordingUiHost ui;
    AppContext ctx{ui};
    std::unique_ptr<FakeDev> dev;
};
}  // namespace

TEST_F(LinkTest, WriteIsAcquireReleaseOpenWriteClose) {
    BindOne();
    const char job[] = "hello";
    EXPECT_EQ(ctx.link.WritePrinter(job, 5), 5);
    EXPECT_EQ(dev->LogLines(), (Lines{"qvdevm PortAcquire(128)", "qvdevm PortRelease(128)",
                                      "qvdevm DeviceOpen(2,4,0,0,tcp://127.0.0.1:9100)", "qvdevm DeviceWrite(5)",
                                      "qvdevm DeviceClose(4)"}));
    EXPECT_EQ(tavtest::Bytes(dev->Written()), "hello");
}

TEST_F(LinkTest, ShortWriteIsReportedAsWritten) {
    BindOne();
    dev->Set("writeShort", 2);
    EXPECT_EQ(ctx.link.WritePrinter("abcdef", 6), 4);
}

TEST_F(LinkTest, ReadRetriesOnceAtOnceAfterNothing) {
    BindOne();
    dev->QueueRead(std::string());
    dev->QueueRead(std::string("reply"));
    char buf[16] = {};
    EXPECT_EQ(ctx.link.ReadPrinter(buf, sizeof buf), 5);
    EXPECT_STREQ(buf, "reply");
    EXPECT_EQ(dev->LogLines(), (Lines{"qvdevm PortAcquire(128)", "qvdevm PortRelease(128)",
                                      "qvdevm DeviceOpen(2,4,0,0,tcp://127.0.0.1:9100)", "qvdevm DeviceRead(16)",
                                      "qvdevm DeviceRead(16)", "qvdevm DeviceClose(4)"}));
    // Twice nothing: 0, and still exactly two reads.
    dev->Reset();
    EXPECT_EQ(ctx.link.ReadPrinter(buf, sizeof buf), 0);
    int reads = 0;
    for (const auto& l : dev->LogLines()) reads += l.find("DeviceRead") != std::string::npos;
    EXPECT_EQ(reads, 2);
}

TEST_F(LinkTest, ACountAboveTheCapacityGivesNothing) {
    BindOne();
    dev->Set("readOverflow", 1);
    char buf[8];
    EXPECT_EQ(ctx.link.ReadPrinter(buf, sizeof buf), 0);
    EXPECT_EQ(dev->LogLines().back(), "qvdevm DeviceClose(4)");
}

TEST_F(LinkTest, FailedOpenTransfersNothingAndClosesNothing) {
    BindOne();
    dev->Set("open", 0);
    EXPECT_EQ(ctx.link.WritePrinter("x", 1), 0);
    EXPECT_EQ(dev->LogLines(), (Lines{"qvdevm PortAcquire(128)", "qvdevm PortRelease(128)",
                                      "qvdevm DeviceOpen(2,4,0,0,tcp://127.0.0.1:9100)"}));
}

TEST_F(LinkTest, BusyPortShowsItsMessageOnceAndWritesNothing) {
    BindOne();
    dev->Set("acquire", 0);
    EXPECT_EQ(ctx.link.WritePrinter("x", 1), 0);
    EXPECT_EQ(dev->LogLines(), Lines{"qvdevm PortAcquire(128)"});
    ASSERT_EQ(ui.Messages().size(), 1u);
    EXPECT_EQ(ui.Messages()[0].text, "The printer port is in use.");
    EXPECT_EQ(ui.Messages()[0].caption, "Panel");
    EXPECT_EQ(ui.Messages()[0].icon, MsgIcon::None);
    EXPECT_EQ(ui.Messages()[0].buttons, MsgButtons::Ok);
    EXPECT_TRUE(dev->Written().empty());
}

TEST_F(LinkTest, NestedHoldIsCountedByTheLibrary) {
    BindOne();
    ASSERT_EQ(ctx.link.AcquirePort(), 1);
    ctx.link.WritePrinter("x", 1);
    EXPECT_EQ(dev->Held(), 1);
    EXPECT_EQ(ctx.link.ReleasePort(), 1);
    EXPECT_EQ(dev->Held(), 0);
}

TEST_F(LinkTest, PresenceAndStatusQueries) {
    BindOne();
    const std::string debugFile = home.dir + "debug.txt";
    setenv("TAV_DEBUG_FILE", debugFile.c_str(), 1);
    EXPECT_TRUE(ctx.link.IsPrinterConnected("usb:04b8:0001"));
    unsetenv("TAV_DEBUG_FILE");
    std::ifstream debug(debugFile);
    std::string traced((std::istreambuf_iterator<char>(debug)), std::istreambuf_iterator<char>());
    EXPECT_EQ(traced, "usb:04b8:0001\n"); // a line of its own in the log
    EXPECT_EQ(dev->LogLines().back(), "qvdevm DeviceCheck(usb:04b8:0001,0,0,1)");
    dev->Reset();
    EXPECT_TRUE(ctx.link.IsPrinterReady());
    EXPECT_EQ(dev->LogLines(), (Lines{"qvdevm DeviceOpen(0,0,0,0,tcp://127.0.0.1:9100)",
                                      "qvdevm GetDeviceIoControl(2228284,020000,3,8)", "qvdevm DeviceClose(0)"}));
    dev->Set("status2", 3);
    EXPECT_TRUE(ctx.link.IsPrinterReady());
    dev->Set("status2", 2);
    EXPECT_FALSE(ctx.link.IsPrinterReady());
    dev->Set("status2", 1);
    dev->Set("status0", 8);
    EXPECT_FALSE(ctx.link.IsPrinterReady());
    dev->Reset();
    dev->Set("ioctl", 0);
    EXPECT_FALSE(ctx.link.IsPrinterReady());
    EXPECT_EQ(dev->LogLines().back(), "qvdevm DeviceClose(4)");
    dev->Set("check", 0);
    EXPECT_FALSE(ctx.link.IsPrinterConnected("s"));
}

TEST_F(LinkTest, TwoLibraryModeNeverMixesThem) {
    ASSERT_TRUE(ctx.link.Bind(true, home.dir));
    FakeDev port(home.dir + "libqvdevm.so");
    FakeDev usb(home.dir + "libqvdevms.so");
    usb.QueueRead(std::string("r"));
    char buf[4];
    ctx.link.WritePrinter("ab", 2);
    ctx.link.ReadPrinter(buf, sizeof buf);
    ctx.link.IsPrinterReady();
    ctx.link.IsPrinterConnected("s");
    for (const auto& l : port.LogLines()) EXPECT_TRUE(l.find("Port") != std::string::npos) << l;
    for (const auto& l : usb.LogLines()) EXPECT_TRUE(l.find("Port") == std::string::npos) << l;
    EXPECT_EQ(port.LogLines().size(), 4u);
    EXPECT_EQ(tavtest::Bytes(usb.Written()), "ab");
}

TEST_F(LinkTest, MissingLibraryOrEntryPointFailsCleanly) {
    tavtest::FakeHome empty;
    std::filesystem::remove(empty.dir + "libqvdevms.so");
    EXPECT_FALSE(ctx.link.Bind(true, empty.dir + "nowhere/"));

    ASSERT_TRUE(ctx.link.Bind(false, home.dir));
    auto noRead = std::shared_ptr<DeviceLibrary>(DlLibrary::Load("libfakedev_noread.so", FAKEDEV_DIR "/"));
    ASSERT_TRUE(noRead);
    ctx.link.Bind(noRead, noRead);
    FakeDev dev2(tavtest::FakeDevPath("noread"));
    char buf[4];
    EXPECT_EQ(ctx.link.ReadPrinter(buf, sizeof buf), 0);
    EXPECT_EQ(ctx.link.WritePrinter("ab", 2), 2);  // the rest of the library still works
}
