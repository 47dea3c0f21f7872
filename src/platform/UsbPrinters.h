// The USB printers attached to this computer, found through sysfs: the one list the first-run
// printer choice and tavctl devices show.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tav {

struct UsbPrinter {
    std::string busPath; // the sysfs device name, e.g. "1-1.2"
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    std::string serial;       // "" when the printer has none (or none that fits a device name)
    std::string manufacturer; // as the printer reports it, may be ""
    std::string product;      // as the printer reports it, may be ""
    std::string usblpNode;    // "/dev/usb/lpN" when the kernel printer driver serves it, else ""
    std::string ieee1284;     // the printer's IEEE 1284 ID, when the kernel driver has read it, else ""

    // The device name the device library takes: usb:VID:PID:SERIAL, without the serial when
    // there is none or the whole name would not fit maxChars (what the device library takes).
    std::string DeviceName(size_t maxChars) const;
    // What a person recognises: "maker product (serial)", or the ids when the printer names nothing.
    std::string Label() const;
};

// Every USB device under sysRoot/bus/usb/devices with a printer-class interface (class 7,
// subclass 1), in bus order. devRoot is where the usblp nodes live.
std::vector<UsbPrinter> FindUsbPrinters(const std::string& sysRoot = "/sys",
                                        const std::string& devRoot = "/dev/usb");

} // namespace tav
