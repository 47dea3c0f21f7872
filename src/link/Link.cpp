#include "link/Link.h"

#include <qvdevm/qvdevm.h>

namespace tav {

bool Link::Bind(bool twoLibraryMode, const std::string& programFolder) {
    Unbind();
    if (twoLibraryMode) {
        std::shared_ptr<DeviceLibrary> usb = DlLibrary::Load(kUsbDeviceLibrary, programFolder);
        std::shared_ptr<DeviceLibrary> port = DlLibrary::Load(kDeviceLibrary, programFolder);
        if (!usb || !port) return false;
        Bind(usb, port);
        return true;
    }
    std::shared_ptr<DeviceLibrary> lib = DlLibrary::Load(kDeviceLibrary, programFolder);
    if (!lib) return false;
    Bind(lib, lib);
    return true;
}

void Link::Bind(std::shared_ptr<DeviceLibrary> primary, std::shared_ptr<DeviceLibrary> port) {
    m_primary = std::move(primary);
    m_port = port ? std::move(port) : m_primary;
}

void Link::Unbind() {
    m_primary.reset();
    m_port.reset();
}

template <typename Fn>
Fn Link::Entry(DeviceLibrary* lib, const char* name) {
    if (!lib) return nullptr;
    void* p = lib->Lookup(name);
    if (!p) Debug(std::string("[TAV] entry point missing: ") + name + " in " + lib->Name() + "\n");
    return reinterpret_cast<Fn>(p);
}

std::string Link::DeviceName() const {
    return m_callbacks.deviceName ? m_callbacks.deviceName() : std::string("s");
}

void Link::Debug(const std::string& text) const {
    if (m_callbacks.debug) m_callbacks.debug(text);
}

bool Link::TryAcquirePort() {
    // A library that locks one printer lets programs on other printers run beside this one.
    if (auto forDevice = m_port ? reinterpret_cast<PortAcquireForFn>(m_port->Lookup("PortAcquireFor")) : nullptr) {
        const std::string name = DeviceName();
        return forDevice(QVDEVM_PORT_TOKEN, name.c_str()) != 0;
    }
    auto acquire = Entry<PortAcquireFn>(m_port.get(), "PortAcquire");
    return acquire && acquire(QVDEVM_PORT_TOKEN) != 0;
}

int Link::AcquirePort() {
    for (unsigned tries = 1;; ++tries) {
        if (TryAcquirePort()) return 1;
        if (!m_port || !m_callbacks.waitForPort || !m_callbacks.waitForPort(tries)) break;
    }
    m_portWasBusy = true;
    if (m_callbacks.showPortBusy) m_callbacks.showPortBusy();
    return 0;
}

int Link::ReleasePort() {
    auto release = Entry<PortReleaseFn>(m_port.get(), "PortRelease");
    return release && release(QVDEVM_PORT_TOKEN) != 0 ? 1 : 0;
}

bool Link::NoteOpen(bool opened) {
    m_lastOpenFailure = {};
    // An older library has no such entry point; that is no failure of the open, so no debug line.
    if (!opened && m_primary)
        m_lastOpenFailure = LastDeviceFailure(reinterpret_cast<DeviceLastErrorFn>(m_primary->Lookup("DeviceLastError")));
    return opened;
}

bool Link::OpenForTransfer() {
    auto open = Entry<DeviceOpenFn>(m_primary.get(), "DeviceOpen");
    if (!open) return false;
    const std::string name = DeviceName();
    return NoteOpen(open(2, 4, 0, 0, name.c_str()) != 0);
}

void Link::CloseDevice(int how) {
    if (auto close = Entry<DeviceCloseFn>(m_primary.get(), "DeviceClose")) close(how);
}

int Link::WritePrinter(const void* data, uint32_t length) {
    if (m_late.Owed()) {
        const size_t dropped =
            m_late.Drop([this](uint8_t* dst, uint32_t capacity) { return static_cast<uint32_t>(ReadPrinter(dst, capacity)); });
        if (dropped) Debug("[TAV] dropped " + std::to_string(dropped) + " bytes of a late reply\n");
    }
    if (!AcquirePort()) return 0;
    ReleasePort();
    if (!OpenForTransfer()) return 0;
    uint32_t count = 0;
    if (auto write = Entry<DeviceWriteFn>(m_primary.get(), "DeviceWrite")) write(data, length, &count);
    CloseDevice(4);
    return static_cast<int>(count);
}

int Link::ReadPrinter(void* buffer, uint32_t capacity) {
    if (!AcquirePort()) return 0;
    ReleasePort();
    if (!OpenForTransfer()) return 0;
    uint32_t count = 0;
    if (auto read = Entry<DeviceReadFn>(m_primary.get(), "DeviceRead")) {
        read(buffer, capacity, &count);
        if (count == 0) read(buffer, capacity, &count);
    }
    if (count > capacity) count = 0;  // a library that claims more than the buffer holds is not believed
    CloseDevice(4);
    return static_cast<int>(count);
}

ReplyRead Link::ReadReply(void* buffer, uint32_t capacity, const IsWhole& whole, unsigned deadlineMs,
                          size_t already) {
    auto* bytes = static_cast<uint8_t*>(buffer);
    const ReplyRead r = ReadWholeReply(
        [this](uint8_t* dst, uint32_t room) { return static_cast<uint32_t>(ReadPrinter(dst, room)); }, bytes,
        capacity, whole, deadlineMs, already);
    m_late.Note(r, bytes, capacity, whole);
    return r;
}

bool Link::IsPrinterConnected(const std::string& deviceName) {
    Debug(deviceName + "\n");
    auto check = Entry<DeviceCheckFn>(m_primary.get(), "DeviceCheck");
    return check && NoteOpen(check(deviceName.c_str(), 0, 0, 1) != 0);
}

bool Link::IsPrinterReady() {
    auto open = Entry<DeviceOpenFn>(m_primary.get(), "DeviceOpen");
    if (!open) return false;
    const std::string name = DeviceName();
    if (!NoteOpen(open(0, 0, 0, 0, name.c_str()) != 0)) return false;
    unsigned char in[3] = {2, 0, 0};
    unsigned char out[8] = {};
    uint32_t count = 0;
    auto ioctl = Entry<GetDeviceIoControlFn>(m_primary.get(), "GetDeviceIoControl");
    if (!ioctl || ioctl(QVDEVM_IOCTL_VENDOR_GET, in, 3, out, 8, &count) == 0) {
        CloseDevice(4);
        return false;
    }
    CloseDevice(0);
    return out[0] == 9 && out[1] == 1 && (out[2] == 1 || out[2] == 3);
}

std::string HandedToLinkText(uint64_t handed, uint64_t size) {
    return std::to_string(handed) + " of " + std::to_string(size) + " bytes were handed to the link";
}

}  // namespace tav
