#include "diagpanel/NuxDevice.h"

#include "platform/WholeReply.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace nux {

DlDeviceLibrary::DlDeviceLibrary(std::string programFolder, DebugOut debug)
    : m_programFolder(std::move(programFolder)), m_debug(std::move(debug)) {}

DlDeviceLibrary::~DlDeviceLibrary() {
    Unbind();
}

bool DlDeviceLibrary::Bind(NuxDeviceApi& api) {
    Unbind();
    api = {};
    if (!m_programFolder.empty()) {
        std::string path = m_programFolder;
        if (path.back() != '/') path += '/';
        path += kLibraryName;
        m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    }
    if (!m_handle) m_handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        if (m_debug) {
            const char* why = dlerror();
            m_debug(std::string("[NUX] cannot load ") + kLibraryName + ": " + (why ? why : "unknown"));
        }
        return false;
    }
    api.open = reinterpret_cast<DeviceOpenFn>(dlsym(m_handle, "DeviceOpen"));
    api.write = reinterpret_cast<DeviceWriteFn>(dlsym(m_handle, "DeviceWrite"));
    api.read = reinterpret_cast<DeviceReadFn>(dlsym(m_handle, "DeviceRead"));
    api.close = reinterpret_cast<DeviceCloseFn>(dlsym(m_handle, "DeviceClose"));
    api.control = reinterpret_cast<GetDeviceIoControlFn>(dlsym(m_handle, "GetDeviceIoControl"));
    api.lastError = reinterpret_cast<DeviceLastErrorFn>(dlsym(m_handle, "DeviceLastError"));
    return true;
}

void DlDeviceLibrary::Unbind() {
    if (m_handle) dlclose(m_handle);
    m_handle = nullptr;
}

bool TableDeviceLibrary::Bind(NuxDeviceApi& api) {
    ++m_binds;
    if (!m_available) return false;
    api = m_api;
    return true;
}

namespace {
// Unbinds on every path out of an operation.
class BoundLibrary {
  public:
    explicit BoundLibrary(NuxDeviceLibrary& library) : m_library(library), m_bound(library.Bind(m_api)) {}
    ~BoundLibrary() { m_library.Unbind(); }
    BoundLibrary(const BoundLibrary&) = delete;
    BoundLibrary& operator=(const BoundLibrary&) = delete;
    bool Ok() const { return m_bound; }
    const NuxDeviceApi& Api() const { return m_api; }

  private:
    NuxDeviceLibrary& m_library;
    NuxDeviceApi m_api;
    bool m_bound;
};

// One read of the bound library, and once more at once when it brings nothing; a count larger
// than was asked for counts as nothing.
tav::ReadOnce ReadOnceOf(const NuxDeviceApi& api) {
    return [&api](std::uint8_t* dst, std::uint32_t capacity) {
        std::uint32_t count = 0;
        api.read(dst, capacity, &count);
        if (count == 0) api.read(dst, capacity, &count);
        return count <= capacity ? count : 0;
    };
}

// A printer with status on sends "@PJL USTATUS ..." messages, each ended by a form feed,
// whenever it likes: one may come after the key's job was written and before its display, or
// in the display's place. The display never begins with "@PJL" (its first byte is no text), so
// such messages are dropped and the display read, whole, after them. A printer that never
// stops sending them gives no display.
std::uint32_t SkipStatusMessages(const tav::ReadOnce& read, std::uint8_t* reply, std::uint32_t count,
                                 const DebugOut& debug) {
    static constexpr char kPjl[] = "@PJL";
    static constexpr std::uint32_t kPjlLength = sizeof kPjl - 1;
    static constexpr std::uint8_t kFormFeed = 0x0C;
    static constexpr std::uint32_t kMostSkipped = 64 * kReplySize;
    std::uint32_t skipped = 0;
    bool inMessage = false;
    while (count > 0 && (inMessage || (count >= kPjlLength && std::memcmp(reply, kPjl, kPjlLength) == 0))) {
        if (skipped >= kMostSkipped) return 0;
        const std::uint8_t* end = std::find(reply, reply + count, kFormFeed);
        inMessage = end == reply + count;
        const std::uint32_t used = inMessage ? count : static_cast<std::uint32_t>(end - reply) + 1;
        skipped += used;
        std::memmove(reply, reply + used, count - used);
        count -= used;
        count = static_cast<std::uint32_t>(
            tav::ReadWholeReply(read, reply, kReplySize, tav::HasLength(kReplySize), 0, count).count);
    }
    if (skipped > 0 && debug) {
        char text[80];
        std::snprintf(text, sizeof text, "[NUX] skipped %u bytes of status sent unasked", skipped);
        debug(text);
    }
    return count;
}

} // namespace

NuxDevice::NuxDevice(NuxDeviceLibrary& library, std::string deviceId, DebugOut debug)
    : m_library(library), m_deviceId(std::move(deviceId)), m_debug(std::move(debug)) {}

bool NuxDevice::Open(const NuxDeviceApi& api) {
    // Asked while the library is still bound: its reason lives in the library.
    const bool opened = api.open(2, 4, 0, 0, m_deviceId.c_str()) != 0;
    m_lastOpenFailure = opened ? tav::DeviceFailure{} : tav::LastDeviceFailure(api.lastError);
    return opened;
}

std::uint32_t NuxDevice::Write(const void* data, std::uint32_t length) {
    if (m_late.Owed()) DropLateReply();
    BoundLibrary lib(m_library);
    const NuxDeviceApi& api = lib.Api();
    if (!lib.Ok() || !api.open || !api.write || !api.close) return 0;
    if (!Open(api)) return 0;
    std::uint32_t written = 0;
    api.write(data, length, &written);
    api.close(4);
    // A library that claims more than it was given has not written what we asked for.
    return written <= length ? written : 0;
}

bool NuxDevice::OpenForRead(const NuxDeviceApi& api) {
    if (!api.open || !api.read || !api.close || !api.control) return false;
    if (!Open(api)) return false;
    const std::uint8_t first = 16;
    const std::uint8_t second = 0;
    std::uint32_t returned = 0;
    api.control(QVDEVM_IOCTL_NOP_A, &first, 1, nullptr, 0, &returned);
    returned = 0;
    api.control(QVDEVM_IOCTL_NOP_B, &second, 1, nullptr, 0, &returned);
    return true;
}

std::uint32_t NuxDevice::Read(std::uint8_t* reply) {
    BoundLibrary lib(m_library);
    const NuxDeviceApi& api = lib.Api();
    if (!lib.Ok() || !OpenForRead(api)) return 0;
    std::uint32_t count = 0;
    api.read(reply, kReplySize, &count);
    if (count == 0) api.read(reply, kReplySize, &count);
    if (m_debug) {
        char text[80];
        std::snprintf(text, sizeof text, "[NUX] <Read data-Befor return> Read data: %d",
                      static_cast<int>(count));
        m_debug(text);
    }
    if (count > kReplySize) count = 0;
    // The display is 33 bytes: what came of it is read on until it is whole or a read brings
    // nothing, so a reply in slow pieces never leaves its tail for the next key.
    const tav::ReadOnce read = ReadOnceOf(api);
    if (count > 0)
        count = static_cast<std::uint32_t>(
            tav::ReadWholeReply(read, reply, kReplySize, tav::HasLength(kReplySize), 0, count).count);
    count = SkipStatusMessages(read, reply, count, m_debug);
    m_late.Note({count, count == kReplySize}, reply, kReplySize, tav::HasLength(kReplySize));
    api.close(4);
    return count;
}

void NuxDevice::DropLateReply() {
    BoundLibrary lib(m_library);
    const NuxDeviceApi& api = lib.Api();
    std::size_t dropped = 0;
    if (lib.Ok() && OpenForRead(api)) {
        dropped = m_late.Drop(ReadOnceOf(api));
        api.close(4);
    }
    if (m_debug && dropped > 0) {
        char text[80];
        std::snprintf(text, sizeof text, "[NUX] dropped %zu bytes of the last key's late reply", dropped);
        m_debug(text);
    }
}

} // namespace nux
