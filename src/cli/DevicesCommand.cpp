#include "cli/DevicesCommand.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "cli/Output.h"

namespace tav::cli {
namespace {

namespace fs = std::filesystem;

const char* kHelp =
    "Usage: tavctl devices [--probe HOST...] [--json]\n"
    "Lists the printers this computer can reach, without opening them: USB printer-class\n"
    "interfaces (with the usblp node when the kernel driver serves one, and the printer's\n"
    "IEEE 1284 ID), one a line: the device name to use, the kind, the node and the ID.\n"
    "  --probe HOST...  also try each HOST (or HOST:PORT) on port 9100 and list those that answer\n"
    "  --json           print one JSON array of objects\n";

// The first line of a small sysfs attribute, without its newline; "" when absent.
std::string Attribute(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) return "";
    if (line.size() > 1024) line.resize(1024);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
        line.pop_back();
    return line;
}

// Text that stays on one line and in one column: control characters and blanks of a device's
// own strings made harmless.
std::string OneLine(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        out += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    return out;
}

bool IsHex4(const std::string& s) {
    return s.size() == 4 && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isxdigit(c); });
}

} // namespace

std::vector<FoundDevice> FindUsbPrinters(const std::string& sysRoot) {
    std::vector<FoundDevice> found;
    std::error_code ec;
    const fs::path devices = fs::path(sysRoot) / "bus/usb/devices";
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(devices, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    for (const fs::path& iface : entries) {
        const std::string entry = iface.filename().string();
        const size_t colon = entry.find(':');
        if (colon == std::string::npos) continue; // a device, not one of its interfaces
        if (Attribute(iface / "bInterfaceClass") != "07" || Attribute(iface / "bInterfaceSubClass") != "01")
            continue;
        const fs::path device = devices / entry.substr(0, colon);
        const std::string vid = Attribute(device / "idVendor"), pid = Attribute(device / "idProduct");
        if (!IsHex4(vid) || !IsHex4(pid)) continue;
        const std::string serial = Attribute(device / "serial");
        FoundDevice d;
        d.kind = "usb";
        // A serial with a ':' or blank could not be given back as a name; the ids alone then.
        const bool serialFits = !serial.empty() && serial.find_first_of(": \t") == std::string::npos;
        d.name = "usb:" + vid + ":" + pid + (serialFits ? ":" + OneLine(serial) : "");
        d.ieee1284 = OneLine(Attribute(iface / "ieee1284_id"));
        for (fs::directory_iterator it(iface / "usbmisc", ec), end; !ec && it != end; it.increment(ec)) {
            const std::string lp = it->path().filename().string();
            if (lp.rfind("lp", 0) != 0) continue;
            d.kind = "usblp";
            d.node = "/dev/usb/" + lp;
            break;
        }
        ec.clear();
        if (d.ieee1284.empty()) {
            const std::string maker = OneLine(Attribute(device / "manufacturer")),
                              model = OneLine(Attribute(device / "product"));
            if (!maker.empty() || !model.empty()) d.ieee1284 = "MFG:" + maker + ";MDL:" + model + ";";
        }
        found.push_back(d);
    }
    return found;
}

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
    const char* root = std::getenv("TAV_SYSFS_ROOT"); // a test's own tree
    std::vector<FoundDevice> found = FindUsbPrinters(root && *root ? root : "/sys");
    for (const std::string& h : hosts)
        if (AnswersOnPort(h, 1000))
            found.push_back(
                {"tcp://" + OneLine(h.find(':') == std::string::npos ? h + ":9100" : h), "network", "", ""});
    if (json) {
        std::string out = "[";
        for (const FoundDevice& d : found)
            out += std::string(out.size() > 1 ? ", " : "") + "{\"name\": " + JsonString(d.name) +
                   ", \"kind\": " + JsonString(d.kind) + ", \"node\": " + JsonString(d.node) +
                   ", \"ieee1284\": " + JsonString(d.ieee1284) + "}";
        std::printf("%s]\n", out.c_str());
    } else {
        for (const FoundDevice& d : found)
            std::printf("%s\t%s\t%s\t%s\n", d.name.c_str(), d.kind.c_str(),
                        d.node.empty() ? "-" : d.node.c_str(), d.ieee1284.c_str());
    }
    return kExitOk;
}

} // namespace tav::cli
