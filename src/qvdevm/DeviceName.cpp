#include "qvdevm/DeviceName.h"

#include <strings.h>

namespace qvdevm {

namespace {

DeviceName Invalid(const std::string& why) {
    DeviceName name;
    name.error = why;
    return name;
}


bool ParsePort(const std::string& text, uint16_t& port) {
    if (text.empty() || text.size() > 5) return false;
    unsigned v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        v = v * 10 + static_cast<unsigned>(c - '0');
    }
    if (v == 0 || v > 65535) return false;
    port = static_cast<uint16_t>(v);
    return true;
}

DeviceName ParseTcp(const std::string& rest) {
    std::string hostPort = rest;
    if (!hostPort.empty() && hostPort.back() == '/') hostPort.pop_back();
    DeviceName name;
    name.kind = DeviceKind::Tcp;
    name.port = kDefaultTcpPort;
    std::string portText;
    bool hasPort = false;
    if (!hostPort.empty() && hostPort[0] == '[') {
        size_t close = hostPort.find(']');
        if (close == std::string::npos) return Invalid("unclosed '[' in address");
        name.host = hostPort.substr(1, close - 1);
        std::string after = hostPort.substr(close + 1);
        if (!after.empty()) {
            if (after[0] != ':') return Invalid("unexpected text after address");
            portText = after.substr(1);
            hasPort = true;
        }
    } else {
        size_t colon = hostPort.find(':');
        if (colon != std::string::npos && hostPort.find(':', colon + 1) != std::string::npos) {
            return Invalid("IPv6 addresses need brackets");
        }
        name.host = hostPort.substr(0, colon);
        if (colon != std::string::npos) {
            portText = hostPort.substr(colon + 1);
            hasPort = true;
        }
    }
    if (name.host.empty()) return Invalid("no host");
    for (char c : name.host) {
        if (c <= ' ' || c == '/' || c == '@' || c == '?' || c == '#') return Invalid("bad character in host");
    }
    if (hasPort && !ParsePort(portText, name.port)) return Invalid("bad port");
    return name;
}

DeviceName ParseUsb(const std::string& rest) {
    DeviceName name;
    name.kind = DeviceKind::Usb;
    size_t first = rest.find(':');
    if (first == std::string::npos) return Invalid("usb: needs VID:PID");
    size_t second = rest.find(':', first + 1);
    std::string vid = rest.substr(0, first);
    std::string pid =
        second == std::string::npos ? rest.substr(first + 1) : rest.substr(first + 1, second - first - 1);
    if (!ParseHex16(vid, name.vendorId) || !ParseHex16(pid, name.productId)) return Invalid("bad USB id");
    if (second != std::string::npos) {
        name.serial = rest.substr(second + 1);
        if (name.serial.empty()) return Invalid("empty serial number");
    }
    return name;
}

} // namespace

bool ParseHex16(const std::string& text, uint16_t& value) {
    std::string digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits = digits.substr(2);
    if (digits.empty() || digits.size() > 4) return false;
    unsigned v = 0;
    for (char c : digits) {
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

DeviceName ParseDeviceName(const std::string& text) {
    if (text.empty() || text == "s") {
        DeviceName name;
        name.kind = DeviceKind::UsbDefault;
        return name;
    }
    if (strncasecmp(text.c_str(), "tcp://", 6) == 0) return ParseTcp(text.substr(6));
    if (strncasecmp(text.c_str(), "socket://", 9) == 0) return ParseTcp(text.substr(9));
    if (strncasecmp(text.c_str(), "usb:", 4) == 0) return ParseUsb(text.substr(4));
    if (text[0] == '/') {
        DeviceName name;
        name.kind = DeviceKind::CharDevice;
        name.path = text;
        return name;
    }
    return Invalid("unknown device name");
}

} // namespace qvdevm
