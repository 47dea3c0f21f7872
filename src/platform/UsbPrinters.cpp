#include "platform/UsbPrinters.h"

#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <fstream>
#include <sys/stat.h>

namespace tav {
namespace {

// One attribute line of sysfs; control characters are dropped so a device cannot put escapes
// into a terminal or a configuration file.
std::string Attribute(const std::string& path, size_t maxChars = 126) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    std::string out;
    for (unsigned char c : line)
        if (c >= 0x20 && c != 0x7F) out += static_cast<char>(c);
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    if (out.size() > maxChars) out.resize(maxChars);
    return out;
}

bool Hex16(const std::string& text, uint16_t& value) {
    if (text.empty() || text.size() > 4) return false;
    unsigned v = 0;
    for (char c : text) {
        v <<= 4;
        if (c >= '0' && c <= '9')
            v |= static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            v |= static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            v |= static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
    }
    value = static_cast<uint16_t>(v);
    return true;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* e = readdir(dir))
            if (e->d_name[0] != '.') names.emplace_back(e->d_name);
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool IsCharDevice(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

// A serial the device name can carry: printable, no ':' (the name's separator), no blanks.
bool UsableSerial(const std::string& s) {
    if (s.empty()) return false;
    for (unsigned char c : s)
        if (c <= 0x20 || c >= 0x7F || c == ':') return false;
    return true;
}

} // namespace

std::string UsbPrinter::DeviceName(size_t maxChars) const {
    char ids[16];
    std::snprintf(ids, sizeof ids, "usb:%04x:%04x", vendorId, productId);
    std::string name = ids;
    if (UsableSerial(serial) && name.size() + 1 + serial.size() <= maxChars) name += ":" + serial;
    return name;
}

std::string UsbPrinter::Label() const {
    std::string label = manufacturer;
    if (!product.empty()) label += (label.empty() ? "" : " ") + product;
    if (label.empty()) {
        char ids[16];
        std::snprintf(ids, sizeof ids, "%04x:%04x", vendorId, productId);
        label = ids;
    }
    if (!serial.empty()) label += " (" + serial + ")";
    return label;
}

std::vector<UsbPrinter> FindUsbPrinters(const std::string& sysRoot, const std::string& devRoot) {
    const std::string devices = sysRoot + "/bus/usb/devices/";
    std::vector<UsbPrinter> found;
    for (const std::string& iface : Entries(devices)) {
        // Interfaces are named DEVICE:CONFIG.INTERFACE; the device is what comes before the colon.
        const size_t colon = iface.find(':');
        if (colon == std::string::npos || colon == 0) continue;
        if (Attribute(devices + iface + "/bInterfaceClass") != "07" ||
            Attribute(devices + iface + "/bInterfaceSubClass") != "01")
            continue;
        const std::string busPath = iface.substr(0, colon);
        std::string node;
        for (const std::string& lp : Entries(devices + iface + "/usbmisc"))
            if (lp.rfind("lp", 0) == 0 && IsCharDevice(devRoot + "/" + lp)) {
                node = devRoot + "/" + lp;
                break;
            }
        // An IEEE 1284 ID runs to some hundred characters.
        const std::string id = Attribute(devices + iface + "/ieee1284_id", 1024);
        auto same = std::find_if(found.begin(), found.end(),
                                 [&](const UsbPrinter& p) { return p.busPath == busPath; });
        if (same != found.end()) {
            if (same->usblpNode.empty()) same->usblpNode = node;
            if (same->ieee1284.empty()) same->ieee1284 = id;
            continue; // a second printer interface of the same device
        }
        UsbPrinter p;
        p.busPath = busPath;
        const std::string dev = devices + busPath + "/";
        if (!Hex16(Attribute(dev + "idVendor"), p.vendorId) ||
            !Hex16(Attribute(dev + "idProduct"), p.productId))
            continue;
        p.serial = Attribute(dev + "serial");
        p.manufacturer = Attribute(dev + "manufacturer");
        p.product = Attribute(dev + "product");
        p.usblpNode = node;
        p.ieee1284 = id;
        found.push_back(p);
    }
    return found;
}

} // namespace tav
