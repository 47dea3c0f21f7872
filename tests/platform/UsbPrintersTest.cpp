// USB printer discovery over a sysfs tree laid out by the test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "platform/UsbPrinters.h"

using namespace tav;
namespace fs = std::filesystem;

namespace {

struct FakeSys {
    FakeSys() {
        root = fs::temp_directory_path() / ("usbsys-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "dev");
    }
    ~FakeSys() { fs::remove_all(root); }
    void Attr(const std::string& rel, const std::string& value) {
        const fs::path p = root / "sys/bus/usb/devices" / rel;
        fs::create_directories(p.parent_path());
        std::ofstream(p) << value << "\n";
    }
    void Device(const std::string& name, const char* vid, const char* pid, const std::string& serial,
                const std::string& maker, const std::string& product) {
        Attr(name + "/idVendor", vid);
        Attr(name + "/idProduct", pid);
        if (!serial.empty()) Attr(name + "/serial", serial);
        if (!maker.empty()) Attr(name + "/manufacturer", maker);
        if (!product.empty()) Attr(name + "/product", product);
    }
    void Interface(const std::string& name, const char* cls, const char* sub, const std::string& lp = {}) {
        Attr(name + "/bInterfaceClass", cls);
        Attr(name + "/bInterfaceSubClass", sub);
        if (!lp.empty()) {
            fs::create_directories(root / "sys/bus/usb/devices" / name / "usbmisc" / lp);
            fs::create_symlink("/dev/null", root / "dev" / lp); // a character device to stat
        }
    }
    std::vector<UsbPrinter> Find() {
        return FindUsbPrinters((root / "sys").string(), (root / "dev").string());
    }
    fs::path root;
};

} // namespace

TEST(UsbPrinters, FindsPrinterClassDevicesWithTheirNamesAndNodes) {
    FakeSys sys;
    sys.Device("1-1", "04f9", "2042", "B2C-77", "Quorvex", "CLP-3550PS");
    sys.Interface("1-1:1.0", "07", "01", "lp0");
    sys.Device("1-2", "0781", "5567", "S1", "Stick", "Storage"); // not a printer
    sys.Interface("1-2:1.0", "08", "06");
    sys.Device("2-1", "1a2b", "00C3", "", "", ""); // names nothing, no usblp node, two printer interfaces
    sys.Interface("2-1:1.0", "07", "01");
    sys.Interface("2-1:1.1", "07", "01");
    sys.Device("2-2", "04f9", "2043", "AB:CD", "Quorvex\x1b[31m", "ML-2250"); // a serial with the separator
    sys.Interface("2-2:1.0", "07", "01", "lp1");
    sys.Device("3-1", "04f9", "zz", "X", "Bad", "Ids"); // unreadable ids: left out
    sys.Interface("3-1:1.0", "07", "01");
    sys.Interface("4-1:1.0", "07", "02"); // a printer-class interface of another subclass

    const std::vector<UsbPrinter> found = sys.Find();
    ASSERT_EQ(found.size(), 3u);
    EXPECT_EQ(found[0].busPath, "1-1");
    EXPECT_EQ(found[0].DeviceName(31), "usb:04f9:2042:B2C-77");
    EXPECT_EQ(found[0].Label(), "Quorvex CLP-3550PS (B2C-77)");
    EXPECT_EQ(found[0].usblpNode, (sys.root / "dev/lp0").string());
    EXPECT_EQ(found[1].DeviceName(31), "usb:1a2b:00c3");
    EXPECT_EQ(found[1].Label(), "1a2b:00c3");
    EXPECT_EQ(found[1].usblpNode, "");
    EXPECT_EQ(found[2].DeviceName(31), "usb:04f9:2043") << "a ':' in the serial would split the name";
    EXPECT_EQ(found[2].manufacturer, "Quorvex[31m") << "control characters never reach a label";
    EXPECT_EQ(found[2].usblpNode, (sys.root / "dev/lp1").string());
}

TEST(UsbPrinters, ADeviceNameNeverOutgrowsTheConfiguredLength) {
    UsbPrinter p;
    p.vendorId = 0x04f9;
    p.productId = 0x2042;
    p.serial = "0123456789ABCDEFG"; // 14 + 17 = 31 characters: fits
    EXPECT_EQ(p.DeviceName(31), "usb:04f9:2042:0123456789ABCDEFG");
    p.serial += "H";
    EXPECT_EQ(p.DeviceName(31), "usb:04f9:2042");
    EXPECT_EQ(p.DeviceName(64), "usb:04f9:2042:0123456789ABCDEFGH");
    EXPECT_TRUE(FindUsbPrinters("/nonexistent", "/nonexistent").empty());
}
