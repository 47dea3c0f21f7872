// What a device name given to DeviceOpen or DeviceCheck asks for.
#pragma once
#include <cstdint>
#include <string>

namespace qvdevm {

enum class DeviceKind { Invalid, Tcp, CharDevice, Usb, UsbDefault };

struct DeviceName {
    DeviceKind kind = DeviceKind::Invalid;
    std::string host;       // Tcp: name or address, IPv6 without brackets
    uint16_t port = 0;      // Tcp
    std::string path;       // CharDevice
    uint16_t vendorId = 0;  // Usb
    uint16_t productId = 0; // Usb
    std::string serial;     // Usb: empty matches any
    std::string error;      // Invalid: why
};

constexpr uint16_t kDefaultTcpPort = 9100;

// "tcp://host[:port]", "socket://host[:port]", "/dev/usb/lpN" (any absolute path names a
// character device), "usb:VID:PID[:SERIAL]" with hexadecimal ids, and "s" (or an empty name)
// for the first USB printer.
DeviceName ParseDeviceName(const std::string& text);

// Up to four hexadecimal digits, with or without "0x"; false for anything else.
bool ParseHex16(const std::string& text, uint16_t& value);

} // namespace qvdevm
