#include "UsbBench.h"

#include "SimProcess.h"

#include <umockdev.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace usbtest {

std::string FirstJob(const tavtest::SimProcess& sim) {
    const std::vector<std::vector<uint8_t>> jobs = sim.Jobs();
    return jobs.empty() ? std::string() : std::string(jobs[0].begin(), jobs[0].end());
}

namespace {

constexpr unsigned long kLpGetStatus = 0x060b;
// The usblp driver's own request: the IEEE 1284 ID, two bytes of big-endian length first.
constexpr unsigned long kLpGetDeviceIdNr = 1;
constexpr int kPumpMs = 2; // how often the emulated device looks at the simulator

// The value of the first "A: key=value" line of a description, and its P:/N: lines.
struct Description {
    std::string syspath, devnode, nodeSyspath;
    std::string Attr(const std::string& key) const {
        auto it = attrs.find(key);
        return it == attrs.end() ? std::string() : it->second;
    }
    std::map<std::string, std::string> attrs;
};

Description Describe(const std::string& text) {
    Description d;
    std::istringstream in(text);
    std::string line, paragraph;
    while (std::getline(in, line)) {
        if (line.rfind("P: ", 0) == 0) {
            paragraph = "/sys" + line.substr(3);
            if (d.syspath.empty()) d.syspath = paragraph;
        }
        if (line.rfind("N: ", 0) == 0 && d.devnode.empty()) {
            d.devnode = "/dev/" + line.substr(3);
            d.nodeSyspath = paragraph;
        }
        if (line.rfind("A: ", 0) == 0) {
            const size_t eq = line.find('=');
            if (eq != std::string::npos) d.attrs.emplace(line.substr(3, eq - 3), line.substr(eq + 1));
        }
    }
    return d;
}

std::vector<uint8_t> StringDescriptor(const std::string& text) {
    std::vector<uint8_t> d = {static_cast<uint8_t>(2 + 2 * text.size()), 3};
    for (char c : text) {
        d.push_back(static_cast<uint8_t>(c));
        d.push_back(0);
    }
    return d;
}

int ConnectSim(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        throw std::runtime_error("cannot reach the simulator");
    }
    // Far above the numbers the program under test gets for its device nodes: the preload keeps
    // its own table of those by number, and a socket of ours under a number it once knew would
    // get its traffic.
    const int high = fcntl(fd, F_DUPFD_CLOEXEC, 900);
    close(fd);
    return high;
}

struct Parked {
    UMockdevIoctlClient* client;
    UMockdevIoctlData* arg;
};

} // namespace

struct Printer::Io {
    Printer* printer = nullptr;
    UsbBench* bench = nullptr;
    UMockdevIoctlBase* handler = nullptr;
    GSource* pump = nullptr;
    int sim = -1;
    std::string inbound;                   // from the simulator, not yet taken by the host
    std::deque<UMockdevIoctlData*> inUrbs; // bulk IN waiting for data
    std::deque<UMockdevIoctlData*> done;   // ready to be reaped
    std::vector<Parked> reaps;             // reaps held until something completes
    int master = -1;                       // usblp: the testbed's end of the node, where replies go
    size_t outBytes = 0;

    usbdevfs_urb* Urb(UMockdevIoctlData* d) { return reinterpret_cast<usbdevfs_urb*>(d->data); }
    uint8_t* Buffer(UMockdevIoctlData* d) { return reinterpret_cast<uint8_t*>(Urb(d)->buffer); }

    void SendToSim(const uint8_t* data, size_t n) {
        printer->NoteData(data, n);
        size_t done = 0;
        while (sim >= 0 && done < n) {
            ssize_t w = send(sim, data + done, n - done, MSG_NOSIGNAL);
            if (w <= 0) break;
            done += static_cast<size_t>(w);
        }
    }

    void TakeFromSim() {
        if (sim < 0) return;
        uint8_t chunk[4096];
        for (;;) {
            ssize_t n = recv(sim, chunk, sizeof chunk, MSG_DONTWAIT);
            if (n <= 0) break;
            inbound.append(reinterpret_cast<char*>(chunk), static_cast<size_t>(n));
        }
    }

    void Finish(UMockdevIoctlData* urb, int status, int actual) {
        Urb(urb)->status = status;
        Urb(urb)->actual_length = actual;
        done.push_back(urb);
    }

    void Leave() {
        printer->gone = true;
        for (UMockdevIoctlData* urb : inUrbs)
            Finish(urb, -ESHUTDOWN, 0);
        inUrbs.clear();
        bench->RemoveFromSysfs(*printer);
    }

    void Pump() {
        if (printer->unplugAsked && !printer->gone) Leave();
        TakeFromSim();
        while (!inbound.empty() && !inUrbs.empty()) {
            UMockdevIoctlData* urb = inUrbs.front();
            inUrbs.pop_front();
            const size_t n = std::min<size_t>(inbound.size(), static_cast<size_t>(Urb(urb)->buffer_length));
            std::memcpy(Buffer(urb), inbound.data(), n);
            inbound.erase(0, n);
            Finish(urb, 0, static_cast<int>(n));
        }
        for (Parked& p : reaps)
            AnswerReap(p);
        reaps.clear();
        // The node's reader is the kernel's: what the printer sent waits in the node until read.
        while (master >= 0 && !inbound.empty()) {
            const ssize_t n = write(master, inbound.data(), inbound.size());
            if (n <= 0) break;
            inbound.erase(0, static_cast<size_t>(n));
        }
    }

    void AnswerReap(Parked& p) {
        if (!done.empty()) {
            UMockdevIoctlData* urb = done.front();
            done.pop_front();
            umockdev_ioctl_data_set_ptr(p.arg, 0, urb);
            g_object_unref(urb);
            umockdev_ioctl_client_complete(p.client, 0, 0);
        } else {
            umockdev_ioctl_client_complete(p.client, -1, printer->gone ? ENODEV : EAGAIN);
        }
        g_object_unref(p.arg);
        g_object_unref(p.client);
    }

    void StartPump() {
        if (pump) return;
        pump = g_timeout_source_new(kPumpMs);
        g_source_set_callback(
            pump,
            [](gpointer self) -> gboolean {
                static_cast<Io*>(self)->Pump();
                return G_SOURCE_CONTINUE;
            },
            this, nullptr);
        g_source_attach(pump, g_main_context_get_thread_default());
    }

    std::vector<uint8_t> ControlAnswer(const Setup& s, bool& stall) {
        stall = false;
        if (s.requestType == 0x80 && s.request == 6 && (s.value >> 8) == 3) {
            const unsigned index = s.value & 0xFF;
            if (index < 4 && !printer->strings[index].empty()) return printer->strings[index];
        }
        if (s.requestType == 0xC1 && s.request == 2) return printer->setup.vendorStatus; // our status request
        if (s.requestType == 0xA1 && s.request == 1) return {static_cast<uint8_t>(printer->setup.lpStatus)};
        if (s.requestType == 0xA1 && s.request == 0) { // GET_DEVICE_ID of the printer class
            const std::string& id = printer->ieee1284;
            std::vector<uint8_t> d = {static_cast<uint8_t>((id.size() + 2) >> 8),
                                      static_cast<uint8_t>((id.size() + 2) & 0xFF)};
            d.insert(d.end(), id.begin(), id.end());
            return d;
        }
        stall = true;
        return {};
    }

    bool Submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        UMockdevIoctlData* urbData = umockdev_ioctl_data_resolve(arg, 0, sizeof(usbdevfs_urb), nullptr);
        if (!urbData) return false;
        usbdevfs_urb* urb = Urb(urbData);
        const size_t offset = offsetof(usbdevfs_urb, buffer);
        UMockdevIoctlData* buffer =
            urb->buffer_length > 0 ? umockdev_ioctl_data_resolve(
                                         urbData, offset, static_cast<size_t>(urb->buffer_length), nullptr)
                                   : nullptr;
        if (buffer) g_object_unref(buffer); // the URB keeps it
        if (printer->gone) {
            g_object_unref(urbData);
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return true;
        }
        if (urb->type == USBDEVFS_URB_TYPE_CONTROL && urb->buffer_length >= 8) {
            const uint8_t* b = Buffer(urbData);
            Setup s;
            s.requestType = b[0];
            s.request = b[1];
            s.value = static_cast<uint16_t>(b[2] | (b[3] << 8));
            s.index = static_cast<uint16_t>(b[4] | (b[5] << 8));
            s.length = static_cast<uint16_t>(b[6] | (b[7] << 8));
            printer->NoteControl(s);
            bool stall = false;
            std::vector<uint8_t> answer = ControlAnswer(s, stall);
            const size_t n =
                std::min<size_t>({answer.size(), s.length, static_cast<size_t>(urb->buffer_length - 8)});
            if (n) std::memcpy(Buffer(urbData) + 8, answer.data(), n);
            Finish(urbData, stall ? -EPIPE : 0, static_cast<int>(n));
        } else if (urb->type == USBDEVFS_URB_TYPE_BULK && !(urb->endpoint & 0x80)) {
            printer->Note("bulk-out " + std::to_string(urb->endpoint));
            size_t n = static_cast<size_t>(urb->buffer_length);
            bool leave = false;
            if (printer->setup.unplugAfterBytes && outBytes + n >= printer->setup.unplugAfterBytes) {
                n = printer->setup.unplugAfterBytes - outBytes;
                leave = true;
            }
            SendToSim(Buffer(urbData), n);
            outBytes += n;
            Finish(urbData, leave ? -ESHUTDOWN : 0, static_cast<int>(n));
            if (leave) Leave();
        } else if (urb->type == USBDEVFS_URB_TYPE_BULK) {
            if (!printer->Saw("bulk-in " + std::to_string(urb->endpoint & 0x7F)))
                printer->Note("bulk-in " + std::to_string(urb->endpoint & 0x7F));
            inUrbs.push_back(urbData);
        } else {
            g_object_unref(urbData);
            umockdev_ioctl_client_complete(client, -1, EINVAL);
            return true;
        }
        umockdev_ioctl_client_complete(client, 0, 0);
        return true;
    }

    bool Discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
        const unsigned long address = *reinterpret_cast<unsigned long*>(arg->data);
        for (auto it = inUrbs.begin(); it != inUrbs.end(); ++it) {
            if ((*it)->client_addr == address) {
                UMockdevIoctlData* urb = *it;
                inUrbs.erase(it);
                Finish(urb, -ENOENT, 0);
                umockdev_ioctl_client_complete(client, 0, 0);
                return true;
            }
        }
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return true;
    }

    bool Usbdevfs(UMockdevIoctlClient* client) {
        StartPump();
        const unsigned long request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        auto resolved = [&](size_t size) { return umockdev_ioctl_data_resolve(arg, 0, size, nullptr); };
        auto answer = [&](long result, int error) {
            umockdev_ioctl_client_complete(client, result, error);
            return true;
        };
        switch (request) {
        case USBDEVFS_GET_CAPABILITIES: {
            UMockdevIoctlData* d = resolved(sizeof(uint32_t));
            // One URB a transfer, whatever its length, as a modern host controller takes it; a
            // transfer split over several would need the kernel's short-packet continuation.
            const uint32_t caps = USBDEVFS_CAP_BULK_SCATTER_GATHER | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                                  USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
            std::memcpy(d->data, &caps, sizeof caps);
            g_object_unref(d);
            return answer(0, 0);
        }
        case USBDEVFS_GETDRIVER: {
            UMockdevIoctlData* d = resolved(sizeof(usbdevfs_getdriver));
            auto* g = reinterpret_cast<usbdevfs_getdriver*>(d->data);
            printer->Note("getdriver " + std::to_string(g->interface));
            const std::string& driver = printer->setup.kernelDriver;
            if (!driver.empty()) std::snprintf(g->driver, sizeof g->driver, "%s", driver.c_str());
            g_object_unref(d);
            return driver.empty() ? answer(-1, ENODATA) : answer(0, 0);
        }
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_RELEASEINTERFACE: {
            UMockdevIoctlData* d = resolved(sizeof(unsigned));
            const unsigned iface = *reinterpret_cast<unsigned*>(d->data);
            g_object_unref(d);
            const bool claim = request == USBDEVFS_CLAIMINTERFACE;
            printer->Note((claim ? "claim " : "release ") + std::to_string(iface));
            if (printer->gone) return answer(-1, ENODEV);
            if (claim && !printer->setup.kernelDriver.empty()) return answer(-1, EBUSY);
            return answer(0, 0);
        }
        case USBDEVFS_SETINTERFACE: {
            UMockdevIoctlData* d = resolved(sizeof(usbdevfs_setinterface));
            auto* s = reinterpret_cast<usbdevfs_setinterface*>(d->data);
            printer->Note("setinterface " + std::to_string(s->interface) + " " +
                          std::to_string(s->altsetting));
            g_object_unref(d);
            return answer(0, 0);
        }
        case USBDEVFS_IOCTL: { // the driver's connect and disconnect (detach) go this way
            UMockdevIoctlData* d = resolved(sizeof(usbdevfs_ioctl));
            auto* c = reinterpret_cast<usbdevfs_ioctl*>(d->data);
            printer->Note(std::string(c->ioctl_code == USBDEVFS_DISCONNECT ? "detach " : "attach ") +
                          std::to_string(c->ifno));
            g_object_unref(d);
            return answer(0, 0);
        }
        case USBDEVFS_DISCONNECT_CLAIM:
            printer->Note("detach-and-claim");
            return answer(0, 0);
        case USBDEVFS_CLEAR_HALT:
        case USBDEVFS_RESETEP:
        case USBDEVFS_RESET:
        case USBDEVFS_SETCONFIGURATION:
            return answer(printer->gone ? -1 : 0, printer->gone ? ENODEV : 0);
        case USBDEVFS_SUBMITURB:
            return Submit(client, arg);
        case USBDEVFS_DISCARDURB:
            return Discard(client, arg);
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY: {
            Parked p{client, resolved(sizeof(void*))};
            g_object_ref(client);
            if (!done.empty() || printer->gone) {
                AnswerReap(p);
            } else {
                reaps.push_back(p); // answered at the next look at the simulator
            }
            return true;
        }
        default:
            printer->Note("unknown " + std::to_string(request));
            return answer(-1, ENOTTY);
        }
    }

    bool Lp(UMockdevIoctlClient* client) {
        StartPump();
        const unsigned long request = umockdev_ioctl_client_get_request(client);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        if (printer->gone) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return true;
        }
        if (request == kLpGetStatus) {
            printer->Note("lpstatus");
            UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(int), nullptr);
            std::memcpy(d->data, &printer->setup.lpStatus, sizeof(int));
            g_object_unref(d);
            umockdev_ioctl_client_complete(client, 0, 0);
            return true;
        }
        if (_IOC_TYPE(request) == 'P' && _IOC_NR(request) == kLpGetDeviceIdNr &&
            _IOC_DIR(request) == _IOC_READ) {
            printer->Note("lpid");
            const size_t size = _IOC_SIZE(request);
            UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, size, nullptr);
            const std::string& id = printer->ieee1284;
            const size_t length = std::min(id.size() + 2, size);
            std::memset(d->data, 0, size);
            if (size >= 2) {
                d->data[0] = static_cast<uint8_t>(length >> 8);
                d->data[1] = static_cast<uint8_t>(length & 0xFF);
                std::memcpy(d->data + 2, id.data(), length - 2);
            }
            g_object_unref(d);
            umockdev_ioctl_client_complete(client, 0, 0);
            return true;
        }
        printer->Note("unknown " + std::to_string(request));
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        return true;
    }

    bool LpRead(UMockdevIoctlClient* client) {
        StartPump();
        if (!printer->gone) return FALSE; // the node itself has what came
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return TRUE;
    }

    bool LpWrite(UMockdevIoctlClient* client) {
        StartPump();
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        if (printer->gone) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return true;
        }
        size_t n = static_cast<size_t>(arg->data_len);
        bool leave = false;
        if (printer->setup.unplugAfterBytes && outBytes + n >= printer->setup.unplugAfterBytes) {
            n = printer->setup.unplugAfterBytes - outBytes;
            leave = true;
        }
        SendToSim(arg->data, n);
        outBytes += n;
        if (leave) Leave();
        if (leave && n == 0) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
        } else {
            umockdev_ioctl_client_complete(client, static_cast<long>(n), 0);
        }
        return true;
    }
};

std::vector<std::string> Printer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex);
    return requests;
}

std::vector<Setup> Printer::Controls() const {
    std::lock_guard<std::mutex> lock(mutex);
    return controls;
}

std::string Printer::DataOut() const {
    std::lock_guard<std::mutex> lock(mutex);
    return dataOut;
}

bool Printer::Saw(const std::string& request) const {
    std::lock_guard<std::mutex> lock(mutex);
    for (const std::string& r : requests)
        if (r == request) return true;
    return false;
}

void Printer::Note(const std::string& request) {
    std::lock_guard<std::mutex> lock(mutex);
    requests.push_back(request);
}

void Printer::NoteControl(const Setup& s) {
    std::lock_guard<std::mutex> lock(mutex);
    requests.push_back("control");
    controls.push_back(s);
}

void Printer::NoteData(const uint8_t* data, size_t n) {
    std::lock_guard<std::mutex> lock(mutex);
    dataOut.append(reinterpret_cast<const char*>(data), n);
}

Printer::~Printer() {
    if (!io) return;
    if (io->pump) {
        g_source_destroy(io->pump);
        g_source_unref(io->pump);
    }
    if (io->sim >= 0) close(io->sim);
    if (io->handler) g_object_unref(io->handler);
}

UsbBench::UsbBench() {
    m_testbed = umockdev_testbed_new();
}

UsbBench::~UsbBench() {
    // The handlers go with the testbed's thread; the printers' state after that.
    g_object_unref(m_testbed);
    m_printers.clear();
}

Printer& UsbBench::Add(const PrinterSetup& setup) {
    const std::string path = DevicesDir() + "/" + setup.file;
    std::ifstream in(path);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::stringstream text;
    for (std::string line; std::getline(in, line);)
        if (line.empty() || line[0] != '#') text << line << '\n'; // our notes, not umockdev's
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(m_testbed, text.str().c_str(), &error)) {
        const std::string why = error ? error->message : "?";
        g_clear_error(&error);
        throw std::runtime_error(path + ": " + why);
    }
    const Description d = Describe(text.str());
    auto printer = std::make_unique<Printer>();
    printer->setup = setup;
    printer->syspath = d.syspath;
    printer->devnode = d.devnode;
    printer->nodeSyspath = d.nodeSyspath;
    printer->ieee1284 = d.Attr("ieee1284_id");
    printer->strings[0] = {4, 3, 0x09, 0x04};
    if (!d.Attr("manufacturer").empty()) printer->strings[1] = StringDescriptor(d.Attr("manufacturer"));
    if (!d.Attr("product").empty()) printer->strings[2] = StringDescriptor(d.Attr("product"));
    if (!d.Attr("serial").empty()) printer->strings[3] = StringDescriptor(d.Attr("serial"));
    printer->io = std::make_unique<Printer::Io>();
    Printer::Io* io = printer->io.get();
    io->printer = printer.get();
    io->bench = this;
    if (setup.simPort) io->sim = ConnectSim(setup.simPort);
    io->handler = umockdev_ioctl_base_new();
    const bool lp = d.devnode.find("/usb/lp") != std::string::npos;
    if (lp) {
        g_signal_connect(
            io->handler, "handle-ioctl",
            G_CALLBACK(+[](UMockdevIoctlBase*, UMockdevIoctlClient* c, gpointer self) -> gboolean {
                return static_cast<Printer::Io*>(self)->Lp(c);
            }),
            io);
        g_signal_connect(
            io->handler, "handle-read",
            G_CALLBACK(+[](UMockdevIoctlBase*, UMockdevIoctlClient* c, gpointer self) -> gboolean {
                return static_cast<Printer::Io*>(self)->LpRead(c);
            }),
            io);
        g_signal_connect(
            io->handler, "handle-write",
            G_CALLBACK(+[](UMockdevIoctlBase*, UMockdevIoctlClient* c, gpointer self) -> gboolean {
                return static_cast<Printer::Io*>(self)->LpWrite(c);
            }),
            io);
    } else {
        g_signal_connect(
            io->handler, "handle-ioctl",
            G_CALLBACK(+[](UMockdevIoctlBase*, UMockdevIoctlClient* c, gpointer self) -> gboolean {
                return static_cast<Printer::Io*>(self)->Usbdevfs(c);
            }),
            io);
    }
    if (!umockdev_testbed_attach_ioctl(m_testbed, d.devnode.c_str(), io->handler, &error)) {
        const std::string why = error ? error->message : "?";
        g_clear_error(&error);
        throw std::runtime_error(d.devnode + ": " + why);
    }
    if (lp) {
        io->master = umockdev_testbed_get_dev_fd(m_testbed, d.devnode.c_str());
        if (io->master >= 0) fcntl(io->master, F_SETFL, fcntl(io->master, F_GETFL) | O_NONBLOCK);
    }
    m_printers.push_back(std::move(printer));
    return *m_printers.back();
}

void UsbBench::Unplug(Printer& printer) {
    printer.unplugAsked = true;
    WaitFor([&] { return printer.gone.load(); }, 2000);
}

void UsbBench::RemoveFromSysfs(Printer& printer) {
    // The device and everything below it (interfaces, the usblp node's class entry).
    if (printer.nodeSyspath != printer.syspath)
        umockdev_testbed_remove_device(m_testbed, printer.nodeSyspath.c_str());
    umockdev_testbed_remove_device(m_testbed, printer.syspath.c_str());
}

bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        pollfd none{};
        poll(&none, 0, 1); // a condition of another thread; nothing to wake us
    }
    return true;
}

std::string DevicesDir() {
    return USB_DEVICES_DIR;
}

} // namespace usbtest
