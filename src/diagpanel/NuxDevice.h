// The panel's own binding of the device library: bound before and unbound after every single
// write and read, so nothing of the library is held between key presses.
#pragma once
#include "diagpanel/NuxProtocol.h"
#include "platform/LangText.h"
#include "platform/WholeReply.h"
#include <qvdevm/qvdevm.h>

#include <cstdint>
#include <string>

namespace nux {

// The entry points one operation needs. A missing one fails that operation.
struct NuxDeviceApi {
    DeviceOpenFn open = nullptr;
    DeviceWriteFn write = nullptr;
    DeviceReadFn read = nullptr;
    DeviceCloseFn close = nullptr;
    GetDeviceIoControlFn control = nullptr;
    DeviceLastErrorFn lastError = nullptr; // optional: an older library cannot say why
};

class NuxDeviceLibrary {
  public:
    virtual ~NuxDeviceLibrary() = default;
    // Fills `api` with whatever entry points exist; false when the library is not there.
    virtual bool Bind(NuxDeviceApi& api) = 0;
    virtual void Unbind() = 0;
};

// The real library, looked up by name in the program folder first, then on the system path.
class DlDeviceLibrary final : public NuxDeviceLibrary {
  public:
    DlDeviceLibrary(std::string programFolder, DebugOut debug);
    ~DlDeviceLibrary() override;
    DlDeviceLibrary(const DlDeviceLibrary&) = delete;
    DlDeviceLibrary& operator=(const DlDeviceLibrary&) = delete;

    bool Bind(NuxDeviceApi& api) override;
    void Unbind() override;

    static constexpr const char* kLibraryName = "libqvdevm.so";

  private:
    std::string m_programFolder;
    DebugOut m_debug;
    void* m_handle = nullptr;
};

// An in-process table, for tests and tools that need no library file.
class TableDeviceLibrary final : public NuxDeviceLibrary {
  public:
    explicit TableDeviceLibrary(const NuxDeviceApi& api) : m_api(api) {}
    bool Bind(NuxDeviceApi& api) override;
    void Unbind() override { ++m_unbinds; }
    int BindCount() const { return m_binds; }
    int UnbindCount() const { return m_unbinds; }
    void SetAvailable(bool available) { m_available = available; }

  private:
    NuxDeviceApi m_api;
    bool m_available = true;
    int m_binds = 0;
    int m_unbinds = 0;
};

class NuxDevice {
  public:
    NuxDevice(NuxDeviceLibrary& library, std::string deviceId, DebugOut debug);

    // Bytes written, 0 on any failure. The rest of a display the last read gave up on is read
    // and dropped first: it belongs to the last key, never to this one.
    std::uint32_t Write(const void* data, std::uint32_t length);
    // Reads the display reply into `reply` (kReplySize bytes) until it is whole or a read
    // brings nothing; bytes received, 0 when nothing came or the library claimed more than was
    // asked for.
    std::uint32_t Read(std::uint8_t* reply);
    // Why the last open failed, as the library said; nothing known after one that worked.
    const tav::DeviceFailure& LastOpenFailure() const { return m_lastOpenFailure; }
    const std::string& DeviceId() const { return m_deviceId; }

  private:
    bool Open(const NuxDeviceApi& api);
    // Opens for a read and makes the two control requests every read is preceded by.
    bool OpenForRead(const NuxDeviceApi& api);
    void DropLateReply();

    NuxDeviceLibrary& m_library;
    std::string m_deviceId;
    DebugOut m_debug;
    tav::DeviceFailure m_lastOpenFailure;
    tav::LateReply m_late;
};

} // namespace nux
