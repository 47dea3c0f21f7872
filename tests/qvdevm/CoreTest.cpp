// Backend-neutral parts of the device library: names, the reply buffer, the status answer,
// and the choice of USB device and interface.
#include "qvdevm/DeviceName.h"
#include "qvdevm/LinkBuffer.h"
#include "qvdevm/PjlStatus.h"
#include "qvdevm/Registry.h"
#include "qvdevm/UsbMatch.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <thread>

using namespace qvdevm;

TEST(DeviceNameParse, NetworkNames) {
    DeviceName a = ParseDeviceName("tcp://printer.local");
    EXPECT_EQ(a.kind, DeviceKind::Tcp);
    EXPECT_EQ(a.host, "printer.local");
    EXPECT_EQ(a.port, 9100);
    DeviceName b = ParseDeviceName("socket://10.0.0.7:9101/");
    EXPECT_EQ(b.kind, DeviceKind::Tcp);
    EXPECT_EQ(b.host, "10.0.0.7");
    EXPECT_EQ(b.port, 9101);
    DeviceName c = ParseDeviceName("TCP://[fe80::1]:9100");
    EXPECT_EQ(c.kind, DeviceKind::Tcp);
    EXPECT_EQ(c.host, "fe80::1");
    for (const char* bad : {"tcp://", "tcp://host:0", "tcp://host:65536", "tcp://host:91x", "tcp://fe80::1",
                            "tcp://[::1", "tcp://a b", "tcp://:9100", "tcp://[::1]x"}) {
        DeviceName d = ParseDeviceName(bad);
        EXPECT_EQ(d.kind, DeviceKind::Invalid) << bad;
        EXPECT_FALSE(d.error.empty()) << bad;
    }
}

TEST(DeviceNameParse, LocalAndUsbNames) {
    EXPECT_EQ(ParseDeviceName("s").kind, DeviceKind::UsbDefault);
    EXPECT_EQ(ParseDeviceName("").kind, DeviceKind::UsbDefault);
    DeviceName lp = ParseDeviceName("/dev/usb/lp1");
    EXPECT_EQ(lp.kind, DeviceKind::CharDevice);
    EXPECT_EQ(lp.path, "/dev/usb/lp1");
    DeviceName u = ParseDeviceName("usb:04F9:0x2042:E7N123456");
    EXPECT_EQ(u.kind, DeviceKind::Usb);
    EXPECT_EQ(u.vendorId, 0x04f9);
    EXPECT_EQ(u.productId, 0x2042);
    EXPECT_EQ(u.serial, "E7N123456");
    DeviceName v = ParseDeviceName("usb:1a86:7584");
    EXPECT_EQ(v.kind, DeviceKind::Usb);
    EXPECT_TRUE(v.serial.empty());
    for (const char* bad : {"usb:", "usb:04f9", "usb:12345:1", "usb:zz:01", "usb:04f9:2042:", "lp0", "ss"}) {
        EXPECT_EQ(ParseDeviceName(bad).kind, DeviceKind::Invalid) << bad;
    }
}

TEST(LinkBufferRead, NeverMoreThanCapacityAndSurplusStays) {
    LinkBuffer buffer;
    buffer.Restart();
    const std::string data = "0123456789abcdef";
    buffer.Append(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    uint8_t out[16] = {};
    EXPECT_EQ(buffer.Read(out, 5, 0, 0), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 5), "01234");
    EXPECT_EQ(buffer.Read(out, 16, 0, 0), 11u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 11), "56789abcdef");
    EXPECT_EQ(buffer.Read(out, 16, 0, 0), 0u);
    EXPECT_EQ(buffer.Read(nullptr, 16, 0, 0), 0u);
}

TEST(LinkBufferRead, CollectsPiecesUntilQuietAndStopsWhenProducerEnds) {
    LinkBuffer buffer;
    buffer.Restart();
    std::thread producer([&] {
        for (const char* piece : {"AB", "CD", "EF"}) {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            buffer.Append(reinterpret_cast<const uint8_t*>(piece), 2);
        }
        buffer.MarkEnded();
    });
    uint8_t out[64] = {};
    // The quiet gap is far longer than the pauses, so only the producer's end stops the read.
    uint32_t n = buffer.Read(out, sizeof out, 5000, 60000);
    producer.join();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), n), "ABCDEF");
    EXPECT_EQ(buffer.Read(out, sizeof out, 60000, 0), 0u)
        << "an ended producer with nothing left reads as empty";
}

TEST(LinkBufferSection, TakesOnlyTheAnswerAndKeepsTheRest) {
    LinkBuffer buffer;
    buffer.Restart();
    const std::string before = "@PJL INFO STATUS\r\nCODE=40021\r\n\f"; // an older, unread answer
    buffer.Append(reinterpret_cast<const uint8_t*>(before.data()), before.size());
    const uint64_t mark = buffer.Produced();
    const std::string after = "xx@PJL INFO STATUS\r\nCODE=10001\r\n\fyy";
    buffer.Append(reinterpret_cast<const uint8_t*>(after.data()), after.size());
    std::string section;
    ASSERT_TRUE(buffer.TakeSection(mark, kInfoStatusHeader, '\f', 0, section));
    EXPECT_EQ(section, "@PJL INFO STATUS\r\nCODE=10001\r\n\f");
    uint8_t out[128] = {};
    uint32_t n = buffer.Read(out, sizeof out, 0, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), n), before + "xxyy");
    // An unterminated answer is not taken.
    const std::string partial = "@PJL INFO STATUS\r\nCODE=10001\r\n";
    buffer.Append(reinterpret_cast<const uint8_t*>(partial.data()), partial.size());
    EXPECT_FALSE(buffer.TakeSection(0, kInfoStatusHeader, '\f', 20, section));
    EXPECT_EQ(buffer.Size(), partial.size());
}

TEST(InfoStatus, ReadyOnlineOfflineAndGarbage) {
    StatusBytes ready =
        ParseInfoStatus("@PJL INFO STATUS\r\nCODE=10001\r\nDISPLAY=\"READY\"\r\nONLINE=TRUE\r\n\f");
    ASSERT_TRUE(ready.valid);
    EXPECT_EQ(ready.bytes[0], 9);
    EXPECT_EQ(ready.bytes[1], 1);
    EXPECT_EQ(ready.bytes[2], 1);
    StatusBytes offline = ParseInfoStatus("@PJL INFO STATUS\r\nCODE=10001\r\nONLINE=FALSE\r\n\f");
    EXPECT_EQ(offline.bytes[2], 0);
    StatusBytes jam =
        ParseInfoStatus("@PJL INFO STATUS\nCODE = 42000\nDISPLAY=\"PAPER JAM\"\nONLINE=TRUE\n\f");
    ASSERT_TRUE(jam.valid);
    EXPECT_EQ(jam.bytes[1], 0);
    EXPECT_FALSE(ParseInfoStatus("@PJL INFO STATUS\r\nDISPLAY=\"READY\"\r\n\f").valid);
    EXPECT_FALSE(ParseInfoStatus("@PJL INFO STATUS\r\nCODE=ready\r\n\f").valid);
    EXPECT_FALSE(ParseInfoStatus(std::string("\0\xff=\r\n", 5)).valid);
}

namespace {
UsbAltSettingInfo Alt(uint8_t number, uint8_t alt, uint8_t cls, uint8_t sub, uint8_t proto,
                      std::vector<UsbEndpointInfo> eps) {
    UsbAltSettingInfo a;
    a.interfaceNumber = number;
    a.altSetting = alt;
    a.interfaceClass = cls;
    a.interfaceSubClass = sub;
    a.interfaceProtocol = proto;
    a.endpoints = std::move(eps);
    return a;
}
const UsbEndpointInfo kBulkOut{0x01, 2};
const UsbEndpointInfo kBulkIn{0x82, 2};
const UsbEndpointInfo kIntIn{0x83, 3};
} // namespace

TEST(UsbInterfaceChoice, PrefersBidirectionalPrinterInterface) {
    // A multifunction device: a scanner (vendor class), then the printer with a
    // unidirectional alternate setting before the bidirectional one.
    std::vector<UsbAltSettingInfo> alts = {
        Alt(0, 0, 0xff, 0xff, 0xff, {kBulkOut, kBulkIn}),
        Alt(1, 0, 7, 1, 1, {kBulkOut}),
        Alt(1, 1, 7, 1, 2, {{0x03, 2}, {0x84, 2}, kIntIn}),
        Alt(1, 2, 7, 1, 3, {kBulkOut, kBulkIn}),
    };
    PrinterInterface p = ChoosePrinterInterface(alts);
    ASSERT_TRUE(p.found);
    EXPECT_EQ(p.interfaceNumber, 1);
    EXPECT_EQ(p.altSetting, 1);
    EXPECT_EQ(p.protocol, 2);
    EXPECT_EQ(p.endpointOut, 0x03);
    EXPECT_EQ(p.endpointIn, 0x84);
}

TEST(UsbInterfaceChoice, FallsBackAndRefusesWhatCannotPrint) {
    // Protocol 2 without a bulk IN endpoint ranks as sending only; 1284.4 wins over it.
    PrinterInterface p = ChoosePrinterInterface(
        {Alt(0, 0, 7, 1, 2, {kBulkOut, kIntIn}), Alt(0, 1, 7, 1, 3, {kBulkOut, kBulkIn})});
    ASSERT_TRUE(p.found);
    EXPECT_EQ(p.protocol, 3);
    PrinterInterface uni = ChoosePrinterInterface({Alt(0, 0, 7, 1, 1, {kBulkOut, kBulkIn})});
    ASSERT_TRUE(uni.found);
    EXPECT_EQ(uni.endpointIn, 0) << "a unidirectional interface is never read";
    EXPECT_FALSE(ChoosePrinterInterface({Alt(0, 0, 7, 1, 2, {kBulkIn})}).found) << "no bulk OUT";
    EXPECT_FALSE(ChoosePrinterInterface({Alt(0, 0, 8, 6, 80, {kBulkOut, kBulkIn})}).found) << "mass storage";
    EXPECT_FALSE(ChoosePrinterInterface({Alt(0, 0, 7, 2, 2, {kBulkOut, kBulkIn})}).found) << "wrong subclass";
    EXPECT_FALSE(ChoosePrinterInterface({}).found);
}

TEST(UsbDeviceChoice, IdsSerialAndDefault) {
    DeviceName any = ParseDeviceName("s");
    DeviceName exact = ParseDeviceName("usb:04f9:2042");
    DeviceName serial = ParseDeviceName("usb:04f9:2042:ABC");
    EXPECT_TRUE(UsbDeviceMatches(any, 0x1234, 0x5678, "", true));
    EXPECT_FALSE(UsbDeviceMatches(any, 0x1234, 0x5678, "", false));
    EXPECT_TRUE(UsbDeviceMatches(exact, 0x04f9, 0x2042, "XYZ", true));
    EXPECT_FALSE(UsbDeviceMatches(exact, 0x04f9, 0x2043, "", true));
    EXPECT_FALSE(UsbDeviceMatches(exact, 0x04f9, 0x2042, "", false)) << "no printer interface";
    EXPECT_TRUE(UsbDeviceMatches(serial, 0x04f9, 0x2042, "ABC", true));
    EXPECT_FALSE(UsbDeviceMatches(serial, 0x04f9, 0x2042, "ABD", true));
    EXPECT_FALSE(UsbDeviceMatches(ParseDeviceName("tcp://x"), 0x04f9, 0x2042, "", true));
}

TEST(UsbDeviceChoice, UsblpNodeFoundThroughSysfs) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("qvdevm-sysfs-" + std::to_string(getpid()));
    fs::remove_all(root);
    // Two printers: lp0 (04f9:2042, serial A1) and lp3 (04f9:2042, serial B2); lp5 has no node.
    auto addPrinter = [&](const std::string& lp, const std::string& dev, const std::string& serial) {
        const fs::path device = root / "sys/devices/usb1" / dev;
        fs::create_directories(device / (dev + ":1.0"));
        std::ofstream(device / "idVendor") << "04f9\n";
        std::ofstream(device / "idProduct") << "2042\n";
        std::ofstream(device / "serial") << serial << "\n";
        fs::create_directories(root / "sys/class/usbmisc" / lp);
        fs::create_directory_symlink(device / (dev + ":1.0"), root / "sys/class/usbmisc" / lp / "device");
    };
    addPrinter("lp3", "1-2", "B2");
    addPrinter("lp0", "1-1", "A1");
    addPrinter("lp5", "1-3", "C3");
    fs::create_directories(root / "dev/usb");
    fs::create_symlink("/dev/null", root / "dev/usb/lp0"); // any character device stands in
    fs::create_symlink("/dev/null", root / "dev/usb/lp3");
    const std::string sys = (root / "sys").string(), dev = (root / "dev/usb").string();
    EXPECT_EQ(FindUsblpNode(sys, dev, ParseDeviceName("s")), dev + "/lp0");
    EXPECT_EQ(FindUsblpNode(sys, dev, ParseDeviceName("usb:04f9:2042")), dev + "/lp0");
    EXPECT_EQ(FindUsblpNode(sys, dev, ParseDeviceName("usb:04F9:2042:B2")), dev + "/lp3");
    EXPECT_EQ(FindUsblpNode(sys, dev, ParseDeviceName("usb:04f9:2042:C3")), "") << "no node: libusb's turn";
    EXPECT_EQ(FindUsblpNode(sys, dev, ParseDeviceName("usb:04f9:2043")), "");
    EXPECT_EQ(FindUsblpNode(sys, dev, ParseDeviceName("tcp://h")), "");
    fs::remove_all(root);
}

// In the two-library mode the port is taken through the other copy of the library: what this
// copy sees of that hold is the kernel's, an flock this process has on a port lock file.
TEST(PortLockOfTheOtherLibrary, IsThisProcesssFlockOnAPortLockFile) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("qvdevm-held-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const int other = open((dir / "other.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    const int port = open((dir / "port-128.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(other, 0);
    ASSERT_GE(port, 0);
    EXPECT_FALSE(ProcessHoldsPortLock()) << "open is not held";
    ASSERT_EQ(flock(other, LOCK_EX), 0);
    EXPECT_FALSE(ProcessHoldsPortLock()) << "another file's lock is not the port's";
    ASSERT_EQ(flock(port, LOCK_EX), 0);
    EXPECT_TRUE(ProcessHoldsPortLock());
    ASSERT_EQ(flock(port, LOCK_UN), 0);
    EXPECT_FALSE(ProcessHoldsPortLock());
    close(other);
    close(port);
    fs::remove_all(dir);
}
