// The libusb path of the real device library against emulated printers: which device a name
// means and which interface it takes, the exact status request, a settings exchange with
// tavctl and wintav32, a printer unplugged part way, and a kernel driver left alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
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

bool Has(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

std::string Joined(const std::vector<std::string>& list) {
    std::string out;
    for (const std::string& s : list)
        out += s + "; ";
    return out;
}

// The programs' status query: open for control, the vendor request, close.
struct Status {
    bool ok = false;
    uint8_t out[8] = {};
    uint32_t count = 0;
};
Status AskStatus(const std::string& device) {
    const qvtest::Api& api = qvtest::Lib();
    Status s;
    if (!api.open(0, 0, 0, 0, device.c_str())) return s;
    const uint8_t in[3] = {2, 0, 0};
    s.ok = api.control(QVDEVM_IOCTL_VENDOR_GET, in, 3, s.out, 8, &s.count) != 0;
    api.close(s.ok ? 0 : 4);
    return s;
}

struct MatchCase {
    const char* what;
    std::vector<std::string> files;
    std::string device;
    int chosen;                      // index in files of the printer that must be taken; -1 none
    std::vector<std::string> expect; // requests that printer must have seen
    std::vector<std::string> never;  // requests it must not have seen
};

TEST(UsbLibusb, ANameTakesItsPrinterAndItsPrinterInterface) {
    const std::vector<MatchCase> cases = {
        {"by VID:PID, past a device without a printer interface",
         {"keyboard.umockdev", "printer.umockdev"},
         "usb:2f1e:0417",
         1,
         {"claim 0", "bulk-out 1", "release 0"},
         {"setinterface 0 0"}},
        {"by serial, between two of the same model",
         {"printer.umockdev", "second.umockdev"},
         "usb:2f1e:0417:QV7A00456",
         1,
         {"claim 0", "bulk-out 1"},
         {}},
        {"a serial nobody has",
         {"printer.umockdev", "second.umockdev"},
         "usb:2f1e:0417:QV7A99999",
         -1,
         {},
         {}},
        {"the default name: the printer of a multifunction device, its bidirectional setting",
         {"keyboard.umockdev", "composite.umockdev"},
         "s",
         1,
         {"claim 1", "setinterface 1 1", "bulk-out 2", "release 1"},
         {"claim 0"}},
        {"a printer that only takes data: sent to, never read from",
         {"unidir.umockdev"},
         "usb:2f1e:0418",
         0,
         {"claim 0", "bulk-out 1"},
         {"bulk-in 1"}},
        {"ids of a device that is no printer", {"keyboard.umockdev"}, "usb:2f1f:0001", -1, {}, {}},
        {"ids nobody has", {"printer.umockdev"}, "usb:2f1e:0999", -1, {}, {}},
    };
    const qvtest::Api& api = qvtest::Lib();
    for (const MatchCase& c : cases) {
        SCOPED_TRACE(c.what);
        usbtest::UsbBench bench;
        std::vector<Printer*> printers;
        for (const std::string& f : c.files)
            printers.push_back(&bench.Add(f));
        EXPECT_EQ(api.check(c.device.c_str(), 0, 0, 1) != 0, c.chosen >= 0);
        const uint32_t written = qvtest::WritePrinter(api, c.device, "\x1b%-12345X@PJL\r\n");
        if (c.chosen < 0) {
            EXPECT_EQ(written, 0u);
            for (Printer* p : printers)
                EXPECT_FALSE(Has(p->Requests(), "claim 0") || Has(p->Requests(), "claim 1"))
                    << Joined(p->Requests());
            continue;
        }
        EXPECT_EQ(written, 15u);
        // The link reads on while it is up; it is down once the interface is given back.
        Printer& chosen = *printers[static_cast<size_t>(c.chosen)];
        const std::string last = c.expect.back();
        EXPECT_TRUE(usbtest::WaitFor([&] { return chosen.Saw(last); }, 3000)) << Joined(chosen.Requests());
        for (const std::string& r : c.expect)
            EXPECT_TRUE(chosen.Saw(r)) << r << " in " << Joined(chosen.Requests());
        for (const std::string& r : c.never)
            EXPECT_FALSE(chosen.Saw(r)) << r << " in " << Joined(chosen.Requests());
        EXPECT_EQ(chosen.DataOut(), "\x1b%-12345X@PJL\r\n");
        for (Printer* p : printers)
            if (p != &chosen) {
                EXPECT_TRUE(p->DataOut().empty()) << p->syspath;
            }
    }
}

TEST(UsbLibusb, TheStatusRequestIsOneVendorRequestToThePrinterInterface) {
    struct Case {
        const char* what;
        std::string file, device;
        std::vector<uint8_t> answer;
        uint16_t index;
    };
    const std::vector<Case> cases = {
        {"ready", "printer.umockdev", "usb:2f1e:0417", {9, 1, 1}, 0},
        {"not ready", "printer.umockdev", "usb:2f1e:0417", {9, 0, 3}, 0},
        {"on interface 1 of a multifunction device", "composite.umockdev", "s", {9, 1, 3}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        usbtest::UsbBench bench;
        PrinterSetup setup{c.file};
        setup.vendorStatus = c.answer;
        Printer& p = bench.Add(setup);
        const Status s = AskStatus(c.device);
        ASSERT_TRUE(s.ok);
        EXPECT_EQ(s.count, 3u);
        EXPECT_EQ(std::vector<uint8_t>(s.out, s.out + 3), c.answer);
        EXPECT_EQ(s.out[3], 0); // the rest of the buffer as it was
        // Device-to-host, vendor, to the interface; request 2, value 0, the interface, 8 bytes.
        std::vector<usbtest::Setup> vendor;
        for (const usbtest::Setup& x : p.Controls())
            if ((x.requestType & 0x60) == 0x40) vendor.push_back(x);
        ASSERT_EQ(vendor.size(), 1u);
        EXPECT_EQ(vendor[0].requestType, 0xC1);
        EXPECT_EQ(vendor[0].request, 2);
        EXPECT_EQ(vendor[0].value, 0);
        EXPECT_EQ(vendor[0].index, c.index);
        EXPECT_EQ(vendor[0].length, 8);
    }
}

TEST(UsbLibusb, APrinterUnpluggedPartWayFailsTheWriteWithItsCountAndIsGone) {
    usbtest::UsbBench bench;
    PrinterSetup setup{"printer.umockdev"};
    setup.unplugAfterBytes = 1000;
    Printer& p = bench.Add(setup);
    const qvtest::Api& api = qvtest::Lib();
    const std::string job(4096, 'x');
    auto run = std::async(std::launch::async, [&] {
        std::string log = qvtest::CaptureStderr([&] {
            qvtest::ScopedEnv debug("QVDEVM_DEBUG", "1");
            uint32_t count = 0;
            EXPECT_EQ(api.open(2, 4, 0, 0, "usb:2f1e:0417"), 1);
            EXPECT_EQ(api.write(job.data(), static_cast<uint32_t>(job.size()), &count), 0);
            EXPECT_EQ(count, 1000u);
            api.close(4);
            EXPECT_EQ(api.open(2, 4, 0, 0, "usb:2f1e:0417"), 0);
            EXPECT_EQ(api.check("usb:2f1e:0417", 0, 0, 1), 0);
        });
        return log;
    });
    ASSERT_EQ(run.wait_for(std::chrono::seconds(10)), std::future_status::ready) << "the library hangs";
    const std::string log = run.get();
    EXPECT_TRUE(p.gone);
    EXPECT_EQ(p.DataOut(), std::string(1000, 'x'));
    EXPECT_NE(log.find("write failed part way"), std::string::npos) << log;
    EXPECT_NE(log.find("no such device"), std::string::npos) << log;
}

TEST(UsbLibusb, AKernelDriverOnTheInterfaceIsLeftAloneAndTheOpenSaysWhy) {
    usbtest::UsbBench bench;
    PrinterSetup setup{"bound.umockdev"};
    setup.kernelDriver = "usblp";
    Printer& p = bench.Add(setup);
    const qvtest::Api& api = qvtest::Lib();
    const std::string log = qvtest::CaptureStderr([&] {
        qvtest::ScopedEnv debug("QVDEVM_DEBUG", "1");
        EXPECT_EQ(qvtest::WritePrinter(api, "usb:2f1e:041a", "data"), 0u);
    });
    const std::vector<std::string> r = p.Requests();
    EXPECT_TRUE(Has(r, "getdriver 0")) << Joined(r);
    EXPECT_FALSE(Has(r, "detach 0")) << Joined(r);
    EXPECT_FALSE(Has(r, "detach-and-claim")) << Joined(r);
    EXPECT_FALSE(Has(r, "claim 0")) << Joined(r);
    EXPECT_TRUE(p.DataOut().empty());
    EXPECT_NE(log.find("usb 2f1e:041a: device busy"), std::string::npos) << log;
    // The programs hear it through the C interface, not only the debug output.
    char text[32];
    EXPECT_EQ(api.lastError(text, sizeof text), QVDEVM_ERROR_BUSY);
    EXPECT_STREQ(text, "device busy");
}

// tavctl and wintav32 against a printer that only the emulated bus connects to the simulator.
class UsbPrograms : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::remove(home.dir + "libqvdevm.so"); // the real library, not the stand-in
        std::filesystem::create_symlink(QVDEVM_LIBRARY, home.dir + "libqvdevm.so");
        sim = std::make_unique<tavtest::SimProcess>("mono-pcl");
        PrinterSetup setup{"composite.umockdev"};
        setup.simPort = sim->Port();
        printer = &bench.Add(setup);
        home.Write("comtav.ini", "[Common]\nDeviceID=usb:2f1e:0419\n[TAB]\nPrinting=1\n");
        home.Write("lm.ini", "");
        home.Write("cu.ini", "");
        home.Write("langinfo.ini", "[Config]\nEN=English\n[English]\nSTR_FILE=lang.ini\n");
        home.Write("lang.ini",
                   "[ABOUT]\nIDL_APPNAME_P=Quorvex Panel\n[STRING]\n"
                   "IDS_NOT_RESPOND=The printer does not respond.\nIDS_ERRORSTRING=Printer error.\n");
    }
    std::map<std::string, std::string> Env() const {
        // The link stays up between a job and its reply, as it does for the programs out of a test.
        return {{"QVDEVM_LINGER_MS", "1500"},
                {"WINTAV32_HOME", home.dir},
                {"XDG_RUNTIME_DIR", home.dir},
                {"QVDEVM_LOCK_DIR", home.dir},
                {"TAV_REGISTRY_LM", home.dir + "lm.ini"},
                {"TAV_REGISTRY_CU", home.dir + "cu.ini"},
                {"TAV_DEBUG_FILE", home.dir + "debug.txt"}};
    }
    tavtest::FakeHome home;
    usbtest::UsbBench bench;
    std::unique_ptr<tavtest::SimProcess> sim;
    Printer* printer = nullptr;
};

TEST_F(UsbPrograms, TavctlQueriesTheSettingsOverUsb) {
    const tavtest::ProgramResult r = tavtest::RunProgram(TAVCTL_PATH, {"query"}, Env(), home.dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("PAPER="), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("COPIES="), std::string::npos) << r.out;
    ASSERT_TRUE(sim->WaitForEvents(1, 5000, "job"));
    EXPECT_EQ(FirstJob(*sim), "\x1b%-12345X@PJL\r\n@PJL INFO PRINTER = ALL\r\n\x1b%-12345X");
    EXPECT_TRUE(printer->Saw("claim 1"));
    EXPECT_TRUE(printer->Saw("bulk-in 3"));
}

TEST_F(UsbPrograms, TavctlDevicesListsTheEmulatedPrinters) {
    bench.Add(PrinterSetup("keyboard.umockdev"));
    bench.Add(PrinterSetup("printer.umockdev"));
    const tavtest::ProgramResult r = tavtest::RunProgram(TAVCTL_PATH, {"devices"}, Env(), home.dir);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "usb:2f1e:0417:QV7A00123\tusb\t-\tMFG:Quorvex;MDL:TAV 4100;\n"
                     "usb:2f1e:0419:QV7D00042\tusb\t-\tMFG:Quorvex;MDL:TAV 6100 MFP;\n");
}

#ifdef WINTAV32_PATH
TEST_F(UsbPrograms, Wintav32StartsAgainstTheUsbPrinter) {
    // The installed language files, for every text the windows show.
    const std::filesystem::path bin = std::filesystem::path(WINTAV32_PATH).parent_path();
    std::filesystem::copy_file(bin / "langinfo.ini", home.dir + "langinfo.ini",
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::copy(bin / "lang", home.dir + "lang",
                          std::filesystem::copy_options::recursive |
                              std::filesystem::copy_options::overwrite_existing);
    std::map<std::string, std::string> env = Env();
    env["QT_QPA_PLATFORM"] = "offscreen";
    env["HOME"] = home.dir;
    // Pictures of the tabs, then it ends.
    const tavtest::ProgramResult r = tavtest::RunProgram(
        WINTAV32_PATH, {"--screenshots", home.dir + "shots", "--device", "usb:2f1e:0419"}, env, home.dir);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string debug = tavtest::ReadFileText(home.dir + "debug.txt");
    EXPECT_NE(debug.find("start-up done"), std::string::npos) << debug;
    EXPECT_NE(debug.find("device usb:2f1e:0419"), std::string::npos) << debug;
    ASSERT_TRUE(sim->WaitForEvents(1, 5000, "job"));
    EXPECT_EQ(FirstJob(*sim), "\x1b%-12345X@PJL\r\n@PJL INFO PRINTER = ALL\r\n\x1b%-12345X");
    EXPECT_TRUE(printer->Saw("bulk-in 3"));
}
#endif

} // namespace
