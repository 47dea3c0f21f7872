#include "qvdevm/UsbMatch.h"

#include "qvdevm/CharDevTransport.h"
#include "qvdevm/DeviceName.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>

namespace qvdevm {

namespace {

int Rank(uint8_t protocol, bool hasIn) {
    if (protocol == 2 && hasIn) return 3;
    if (protocol == 3 && hasIn) return 2;
    if (protocol >= 1 && protocol <= 3) return 1; // usable for sending only
    return 0;
}

std::string ReadLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

bool HexEquals(const std::string& text, uint16_t value) {
    uint16_t v = 0;
    return ParseHex16(text, v) && v == value;
}

} // namespace

PrinterInterface ChoosePrinterInterface(const std::vector<UsbAltSettingInfo>& altSettings) {
    PrinterInterface best;
    int bestRank = 0;
    for (const UsbAltSettingInfo& alt : altSettings) {
        if (alt.interfaceClass != 7 || alt.interfaceSubClass != 1) continue;
        uint8_t out = 0, in = 0;
        for (const UsbEndpointInfo& ep : alt.endpoints) {
            if ((ep.attributes & 3) != 2) continue;
            if (ep.address & 0x80) {
                if (!in) in = ep.address;
            } else if (!out) {
                out = ep.address;
            }
        }
        if (!out) continue;
        const int rank = Rank(alt.interfaceProtocol, in != 0);
        if (rank > bestRank) {
            bestRank = rank;
            best.found = true;
            best.interfaceNumber = alt.interfaceNumber;
            best.altSetting = alt.altSetting;
            best.protocol = alt.interfaceProtocol;
            best.endpointOut = out;
            // A unidirectional interface's IN endpoint, if any, is not for us.
            best.endpointIn = alt.interfaceProtocol == 1 ? 0 : in;
        }
    }
    return best;
}

bool UsbDeviceMatches(const DeviceName& name, uint16_t vendorId, uint16_t productId,
                      const std::string& serial, bool hasPrinterInterface) {
    if (!hasPrinterInterface) return false;
    if (name.kind == DeviceKind::UsbDefault) return true;
    if (name.kind != DeviceKind::Usb) return false;
    if (vendorId != name.vendorId || productId != name.productId) return false;
    return name.serial.empty() || name.serial == serial;
}

std::string FindUsblpNode(const std::string& sysRoot, const std::string& devRoot, const DeviceName& name) {
    if (name.kind != DeviceKind::Usb && name.kind != DeviceKind::UsbDefault) return {};
    const std::string classDir = sysRoot + "/class/usbmisc";
    std::vector<int> numbers;
    if (DIR* dir = opendir(classDir.c_str())) {
        while (dirent* e = readdir(dir)) {
            std::string n = e->d_name;
            if (n.size() < 3 || n.size() > 5 || n.compare(0, 2, "lp") != 0) continue;
            if (!std::all_of(n.begin() + 2, n.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
            numbers.push_back(std::stoi(n.substr(2)));
        }
        closedir(dir);
    }
    std::sort(numbers.begin(), numbers.end());
    for (int number : numbers) {
        const std::string lp = "lp" + std::to_string(number);
        const std::string node = devRoot + "/" + lp;
        if (!CharDeviceExists(node)) continue;
        if (name.kind == DeviceKind::UsbDefault) return node;
        const std::string device = classDir + "/" + lp + "/device/..";
        if (!HexEquals(ReadLine(device + "/idVendor"), name.vendorId)) continue;
        if (!HexEquals(ReadLine(device + "/idProduct"), name.productId)) continue;
        if (!name.serial.empty() && ReadLine(device + "/serial") != name.serial) continue;
        return node;
    }
    return {};
}

} // namespace qvdevm
