// tavctl devices: the printers this computer can reach, found without opening them.
#pragma once
#include <string>
#include <vector>

namespace tav::cli {

struct FoundDevice {
    std::string name;     // the device name to give --device or Common/DeviceID
    std::string kind;     // "usblp", "usb" or "network"
    std::string node;     // /dev/usb/lpN for a usblp node, else empty
    std::string ieee1284; // the printer's IEEE 1284 ID, when sysfs holds one
};

// The USB printer-class interfaces under sysRoot (normally /sys), with the usblp node that
// serves one when the kernel driver has bound it.
std::vector<FoundDevice> FindUsbPrinters(const std::string& sysRoot);

// Whether HOST (or HOST:PORT, 9100 by default) accepts a connection within timeoutMs.
bool AnswersOnPort(const std::string& hostAndPort, int timeoutMs);

// Runs "devices" with the arguments after the command; returns the exit status.
int RunDevicesCommand(const std::vector<std::string>& args);

} // namespace tav::cli
