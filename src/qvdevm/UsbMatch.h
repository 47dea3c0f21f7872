// Which USB device and which of its interfaces a device name means, decided from descriptors
// alone so that it can be checked without hardware.
#pragma once
#include "qvdevm/DeviceName.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qvdevm {

struct UsbEndpointInfo {
    uint8_t address = 0;    // bit 7 set: IN
    uint8_t attributes = 0; // low two bits 2: bulk
};

struct UsbAltSettingInfo {
    uint8_t interfaceNumber = 0;
    uint8_t altSetting = 0;
    uint8_t interfaceClass = 0;
    uint8_t interfaceSubClass = 0;
    uint8_t interfaceProtocol = 0;
    std::vector<UsbEndpointInfo> endpoints;
};

struct PrinterInterface {
    bool found = false;
    uint8_t interfaceNumber = 0;
    uint8_t altSetting = 0;
    uint8_t protocol = 0;
    uint8_t endpointOut = 0;
    uint8_t endpointIn = 0; // 0: the printer does not talk back
};

// The printer-class interface (class 7, subclass 1) with a bulk OUT endpoint; bidirectional
// (protocol 2) first, then IEEE 1284.4 (3), then unidirectional (1). Among equals the first.
PrinterInterface ChoosePrinterInterface(const std::vector<UsbAltSettingInfo>& altSettings);

// Whether a device with these ids and serial is the one a Usb or UsbDefault name asks for.
// UsbDefault takes any device that has a printer interface.
bool UsbDeviceMatches(const DeviceName& name, uint16_t vendorId, uint16_t productId,
                      const std::string& serial, bool hasPrinterInterface);

// The usblp node that serves the device a name asks for, found through sysfs
// (sysRoot/class/usbmisc/lpN, whose device's parent carries idVendor, idProduct and serial)
// and present under devRoot. Empty when no usblp node serves it.
std::string FindUsblpNode(const std::string& sysRoot, const std::string& devRoot, const DeviceName& name);

} // namespace qvdevm
