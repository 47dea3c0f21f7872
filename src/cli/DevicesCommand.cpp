#include "cli/DevicesCommand.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "cli/Output.h"
#include "platform/UsbPrinters.h"

#include <qvdevm/qvdevm.h>

namespace tav::cli {
namespace {

const char* kHelp =
    "Usage: tavctl devices [--probe HOST...] [--json]\n"
    "Lists the printers this computer can reach, without opening them: USB printer-class\n"
    "interfaces (with the usblp node when the kernel driver serves one, and the printer's\n"
    "IEEE 1284 ID), one a line: the device name to use, the kind, the node and the ID.\n"
    "  --probe HOST...  also try each HOST (or HOST:PORT) on port 9100 and list those that answer\n"
    "  --json           print one JSON array of objects\n";

// Text that stays on one line and in one column: control characters and blanks of a device's
// own strings made harmless.
std::string OneLine(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        out += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    return out;
}

struct FoundDevice {
    std::string name;     // the device name to give --device or Common/DeviceID
    std::string kind;     // "usblp", "usb" or "network"
    std::string node;     // /dev/usb/lpN for a usblp node, else empty
    std::string ieee1284; // the printer's IEEE 1284 ID, or its maker and model
};

FoundDevice FromUsb(const UsbPrinter& p) {
    FoundDevice d{p.DeviceName(QVDEVM_DEVICE_NAME_MAX), p.usblpNode.empty() ? "usb" : "usblp", p.usblpNode,
                  p.ieee1284};
    if (d.ieee1284.empty() && (!p.manufacturer.empty() || !p.product.empty()))
        d.ieee1284 = "MFG:" + p.manufacturer + ";MDL:" + p.product + ";";
    return d;
}

} // namespace

bool AnswersOnPort(const std::string& hostAndPort, int timeoutMs) {
    std::string host = hostAndPort, port = "9100";
    const size_t colon = hostAndPort.rfind(':');
    if (colon != std::string::npos && hostAndPort.find(':') == colon) {
        host = hostAndPort.substr(0, colon);
        port = hostAndPort.substr(colon + 1);
    }
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (host.empty() || getaddrinfo(host.c_str(), port.c_str(), &hints, &list) != 0) return false;
    bool answered = false;
    for (addrinfo* a = list; a && !answered; a = a->ai_next) {
        const int fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) continue;
        if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) {
            answered = true;
        } else if (errno == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int error = 0;
            socklen_t len = sizeof error;
            answered = poll(&p, 1, timeoutMs) == 1 &&
                       getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) == 0 && error == 0;
        }
        close(fd);
    }
    freeaddrinfo(list);
    return answered;
}

int RunDevicesCommand(const std::vector<std::string>& args) {
    std::vector<std::string> hosts;
    bool probe = false, json = false;
    for (const std::string& a : args) {
        if (a == "--help") {
            std::fputs(kHelp, stdout);
            return kExitOk;
        } else if (a == "--probe") {
            probe = true;
        } else if (a == "--json") {
            json = true;
        } else if (probe && !a.empty() && a.rfind("--", 0) != 0) {
            hosts.push_back(a);
        } else {
            std::fprintf(stderr, "tavctl: unexpected \"%s\" for devices (tavctl devices --help)\n",
                         Visible(a, true).c_str());
            return kExitUsage;
        }
    }
    if (probe && hosts.empty()) {
        std::fputs("tavctl: --probe needs at least one host (tavctl devices --help)\n", stderr);
        return kExitUsage;
    }
    // A test's own trees stand in for sysfs and the usblp nodes.
    const char* sys = std::getenv("TAV_SYSFS_ROOT");
    const char* nodes = std::getenv("TAV_USBLP_ROOT");
    std::vector<FoundDevice> found;
    for (const UsbPrinter& p : FindUsbPrinters(sys && *sys ? sys : "/sys", nodes && *nodes ? nodes : "/dev/usb"))
        found.push_back(FromUsb(p));
    for (const std::string& h : hosts)
        if (AnswersOnPort(h, 1000))
            found.push_back(
                {"tcp://" + OneLine(h.find(':') == std::string::npos ? h + ":9100" : h), "network", "", ""});
    if (json) {
        std::vector<std::string> items;
        for (const FoundDevice& d : found)
            items.push_back(JsonObject()
                                .AddString("name", d.name)
                                .AddString("kind", d.kind)
                                .AddString("node", d.node)
                                .AddString("ieee1284", d.ieee1284)
                                .Text());
        Out(JsonArray(items));
    } else {
        for (const FoundDevice& d : found)
            Out(d.name + "\t" + d.kind + "\t" + (d.node.empty() ? "-" : d.node) + "\t" + OneLine(d.ieee1284));
    }
    return kExitOk;
}

} // namespace tav::cli
