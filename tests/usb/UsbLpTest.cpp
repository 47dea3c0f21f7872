// The usblp path of the real device library: when the kernel driver serves the printer, its
// node carries the data both ways and answers the status request, and the library never goes
// around it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "../cli/RunProgram.h"
#include "../qvdevm/QvdevmHarness.h"
#include "FakeDev.h"
#include "SimProcess.h"
#include "UsbBench.h"

using usbtest::FirstJob;
using usbtest::Printer;
using usbtest::PrinterSetup;

namespace {

const std::string kUel = "\x1b%-12345X";

TEST(UsbLp, TheNodeAnswersTheStatusRequestFromThePortStatus) {
    struct Case {
        const char* what;
        int lpStatus;
        std::vector<uint8_t> expect; // the first three bytes the programs look at
    };
    const std::vector<Case> cases = {
        {"selected, no error", 0x18, {9, 1, 1}},
        {"out of paper", 0x38, {9, 0, 1}},
        {"an error, not selected", 0x00, {9, 0, 0}},
    };
    const qvtest::Api& api = qvtest::Lib();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        usbtest::UsbBench bench;
        PrinterSetup setup{"lp.umockdev"};
        setup.lpStatus = c.lpStatus;
        Printer& p = bench.Add(setup);
        ASSERT_EQ(api.check("usb:2f1e:041b", 0, 0, 1), 1);
        ASSERT_EQ(api.open(0, 0, 0, 0, "usb:2f1e:041b:QV7B00789"), 1);
        const uint8_t in[3] = {2, 0, 0};
        uint8_t out[8] = {};
        uint32_t count = 0;
        EXPECT_EQ(api.control(QVDEVM_IOCTL_VENDOR_GET, in, 3, out, 8, &count), 1);
        api.close(0);
        EXPECT_EQ(count, 3u);
        EXPECT_EQ(std::vector<uint8_t>(out, out + 3), c.expect);
        EXPECT_TRUE(p.Saw("lpstatus"));
    }
}

TEST(UsbLp, SettingsGoThroughTheNodeToThePrinterAndBack) {
    tavtest::SimProcess sim("mono-pcl");
    usbtest::UsbBench bench;
    PrinterSetup setup{"lp.umockdev"};
    setup.simPort = sim.Port();
    Printer& p = bench.Add(setup);
    const qvtest::Api& api = qvtest::Lib();
    const std::string query = kUel + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + kUel;
    ASSERT_TRUE(api.acquire(QVDEVM_PORT_TOKEN));
    EXPECT_EQ(qvtest::WritePrinter(api, "s", query), query.size());
    const std::string reply = qvtest::ReadPrinter(api, "s");
    api.release(QVDEVM_PORT_TOKEN);
    EXPECT_FALSE(reply.empty());
    EXPECT_EQ(p.DataOut(), query);
    ASSERT_TRUE(sim.WaitForEvents(1, 5000, "job"));
    EXPECT_EQ(FirstJob(sim), query);
    // Nothing went around the driver.
    for (const std::string& r : p.Requests())
        EXPECT_TRUE(r == "read" || r == "write" || r == "lpstatus") << r;
}

TEST(UsbLp, TheNodeGivesTheIdThatTavctlDevicesLists) {
    usbtest::UsbBench bench;
    Printer& p = bench.Add(PrinterSetup("lp.umockdev"));
    bench.Add(PrinterSetup("unidir.umockdev"));
    // The driver's own request: two bytes of length (counting themselves), then the ID.
    const int fd = open("/dev/usb/lp0", O_RDWR);
    ASSERT_GE(fd, 0);
    unsigned char id[1024] = {};
    ASSERT_EQ(ioctl(fd, _IOC(_IOC_READ, 'P', 1, sizeof id), id), 0);
    close(fd);
    const size_t length = static_cast<size_t>((id[0] << 8) | id[1]);
    ASSERT_GE(length, 2u);
    const std::string answered(reinterpret_cast<char*>(id) + 2, length - 2);
    EXPECT_EQ(answered, p.ieee1284);

    tavtest::FakeHome home;
    const tavtest::ProgramResult r = tavtest::RunProgram(TAVCTL_PATH, {"devices"}, {}, home.dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "usb:2f1e:0418:QV7C00001\tusb\t-\tMFG:Quorvex;MDL:TAV 2100;\n"
                     "usb:2f1e:041b:QV7B00789\tusblp\t/dev/usb/lp0\t" +
                         answered + "\n");
}

TEST(UsbLp, APrinterUnpluggedPartWayFailsTheWriteAndTheNodeIsGone) {
    usbtest::UsbBench bench;
    PrinterSetup setup{"lp.umockdev"};
    setup.unplugAfterBytes = 100;
    Printer& p = bench.Add(setup);
    const qvtest::Api& api = qvtest::Lib();
    const std::string job(1000, 'y');
    ASSERT_EQ(api.open(2, 4, 0, 0, "s"), 1);
    uint32_t count = 0;
    EXPECT_EQ(api.write(job.data(), static_cast<uint32_t>(job.size()), &count), 0);
    EXPECT_EQ(count, 100u);
    api.close(4);
    EXPECT_TRUE(p.gone);
    EXPECT_EQ(api.open(2, 4, 0, 0, "s"), 0);
    EXPECT_EQ(api.check("s", 0, 0, 1), 0);
}

} // namespace
