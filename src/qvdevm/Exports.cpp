// The ten entry points. Everything else in the library is hidden.
#define QVDEVM_BUILDING
#include <qvdevm/qvdevm.h>

#include "qvdevm/CharDevTransport.h"
#include "qvdevm/Debug.h"
#include "qvdevm/OpenReason.h"
#include "qvdevm/PortLock.h"
#include "qvdevm/Registry.h"
#include "qvdevm/TcpTransport.h"
#include "qvdevm/UsbTransport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <mutex>
#include <pthread.h>

namespace {

using namespace qvdevm;

// Never destroyed: a link's reader thread must not meet a destructor at exit. The real close
// runs from an exit handler instead, and not at all in a forked child.
Registry* g_registry = nullptr;
PortLock* g_portLock = nullptr;
bool g_forkedChild = false;
std::once_flag g_setUp;

void AtExit() {
    if (!g_forkedChild && g_registry) g_registry->Shutdown();
}

void InChildAfterFork() {
    // The parent's links and threads are not ours; start over without touching them.
    g_forkedChild = true;
    Registry::ForgetThreadAttachments();
    g_registry = new Registry();
    if (g_portLock) g_portLock->ForgetAfterFork();
}

void SetUp() {
    std::call_once(g_setUp, [] {
        g_registry = new Registry();
        g_portLock = new PortLock();
        pthread_atfork(nullptr, nullptr, InChildAfterFork);
        std::atexit(AtExit);
    });
}

Registry& Links() {
    SetUp();
    return *g_registry;
}

// Per thread, as the opens are: a program that talks to two printers from two threads hears
// each one's reason.
thread_local OpenFailure t_lastFailure;

int Outcome(OpenFailure failure) {
    t_lastFailure = std::move(failure);
    return t_lastFailure.code == QVDEVM_ERROR_NONE ? 1 : 0;
}

OpenFailure NameTooLong() {
    const std::string why = "longer than " + std::to_string(QVDEVM_DEVICE_NAME_MAX) + " characters";
    DebugLine("device name " + why + " refused");
    return {QVDEVM_ERROR_BAD_NAME, why};
}

} // namespace

extern "C" {

QVDEVM_API int DeviceOpen(int, int, int, int, const char* deviceName) {
    if (deviceName && strnlen(deviceName, QVDEVM_DEVICE_NAME_MAX + 1) > QVDEVM_DEVICE_NAME_MAX)
        return Outcome(NameTooLong());
    OpenFailure failure;
    if (!Links().Open(deviceName ? deviceName : "", &failure) && failure.code == QVDEVM_ERROR_NONE)
        failure = {QVDEVM_ERROR_OTHER, "the device cannot be opened"};
    return Outcome(std::move(failure));
}

QVDEVM_API int DeviceWrite(const void* data, uint32_t length, uint32_t* written) {
    if (written) *written = 0;
    std::shared_ptr<DeviceLink> link = Links().Current();
    if (!link || (!data && length > 0)) return 0;
    size_t done = link->Write(static_cast<const uint8_t*>(data), length);
    if (written) *written = static_cast<uint32_t>(done);
    return done == length ? 1 : 0;
}

QVDEVM_API int DeviceRead(void* buffer, uint32_t capacity, uint32_t* received) {
    if (received) *received = 0;
    std::shared_ptr<DeviceLink> link = Links().Current();
    if (!link || !buffer) return 0;
    uint32_t got = link->Read(static_cast<uint8_t*>(buffer), capacity);
    if (received) *received = got;
    if (got == 0) DebugLine(link->Name() + ": no answer");
    return got > 0 ? 1 : 0;
}

QVDEVM_API int DeviceClose(int) {
    Links().Close();
    return 1;
}

QVDEVM_API int GetDeviceIoControl(uint32_t code, const void* in, uint32_t inLength, void* out,
                                  uint32_t outLength, uint32_t* returned) {
    if (returned) *returned = 0;
    std::shared_ptr<DeviceLink> link = Links().Current();
    if (!link) return 0;
    switch (code) {
    case QVDEVM_IOCTL_NOP_A:
    case QVDEVM_IOCTL_NOP_B:
        // Asked for before every read of the diagnostic panel; there is nothing to set up
        // on a link that is already up, and the buffer must stay as it is.
        return 1;
    case QVDEVM_IOCTL_VENDOR_GET: {
        uint32_t got = 0;
        if (!link->VendorStatus(static_cast<const uint8_t*>(in), inLength, static_cast<uint8_t*>(out),
                                outLength, got)) {
            return 0;
        }
        if (returned) *returned = got;
        return 1;
    }
    default:
        DebugLine("control code not supported: " + std::to_string(code));
        return 0;
    }
}

QVDEVM_API int DeviceCheck(const char* deviceName, int, int, int) {
    if (deviceName && strnlen(deviceName, QVDEVM_DEVICE_NAME_MAX + 1) > QVDEVM_DEVICE_NAME_MAX)
        return Outcome(NameTooLong());
    const std::string text = deviceName ? deviceName : "";
    if (std::shared_ptr<DeviceLink> link = Links().Existing(text); link && link->Usable()) return Outcome({});
    const DeviceName name = ParseDeviceName(text);
    const OpenFailure absent{QVDEVM_ERROR_NOT_FOUND, reason::kNoDevice};
    std::string why;
    switch (name.kind) {
    case DeviceKind::Tcp: {
        if (ProbeTcp(name.host, name.port, Settings::FromEnvironment().connectTimeoutMs, why)) return Outcome({});
        DebugLine(text + ": " + why);
        return Outcome(FailureOf(why));
    }
    case DeviceKind::CharDevice:
        return Outcome(CharDeviceExists(name.path) ? OpenFailure{} : absent);
    case DeviceKind::Usb:
    case DeviceKind::UsbDefault:
        return Outcome(UsbPrinterPresent(name) ? OpenFailure{} : absent);
    case DeviceKind::Invalid:
        DebugLine("\"" + text + "\": " + name.error);
        return Outcome({QVDEVM_ERROR_BAD_NAME, name.error});
    }
    return Outcome({QVDEVM_ERROR_OTHER, "unknown device kind"});
}

QVDEVM_API int DeviceLastError(char* text, uint32_t capacity) {
    if (text && capacity > 0) {
        const size_t n = std::min<size_t>(t_lastFailure.text.size(), capacity - 1);
        std::memcpy(text, t_lastFailure.text.data(), n);
        text[n] = '\0';
    }
    return t_lastFailure.code;
}

QVDEVM_API int PortAcquire(int token) {
    SetUp();
    const bool ok = g_portLock->Acquire(token, &LockFolders);
    if (ok) g_registry->SetPortHeld(true);
    return ok ? 1 : 0;
}

QVDEVM_API int PortAcquireFor(int token, const char* deviceName) {
    SetUp();
    std::string name = deviceName ? std::string(deviceName, strnlen(deviceName, QVDEVM_DEVICE_NAME_MAX + 1)) : "";
    const bool ok = g_portLock->Acquire(token, &LockFolders, PortDeviceKey(name));
    if (ok) g_registry->SetPortHeld(true);
    return ok ? 1 : 0;
}

QVDEVM_API int PortRelease(int token) {
    SetUp();
    const bool ok = g_portLock->Release(token);
    if (!g_portLock->AnyHeld()) g_registry->SetPortHeld(false);
    return ok ? 1 : 0;
}

} // extern "C"
