// The printer link: the port lock and one open-transfer-close per write and per read, through
// whichever device library start-up bound. Port calls go to the port library, device calls to
// the primary one; in the ordinary mode both are the same library.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "link/DeviceLibrary.h"
#include "platform/LangText.h"
#include "platform/WholeReply.h"

namespace tav {

inline constexpr const char* kDeviceLibrary = "libqvdevm.so";
inline constexpr const char* kUsbDeviceLibrary = "libqvdevms.so";

class Link {
public:
    struct Callbacks {
        std::function<std::string()> deviceName;  // read afresh at each open
        std::function<void()> showPortBusy;       // the busy message, shown by AcquirePort
        std::function<void(const std::string&)> debug;
        // Asked when the port is busy, with the count of tries so far: waits for the next try and
        // says whether to make it. Absent: no try but the first.
        std::function<bool(unsigned tries)> waitForPort;
    };

    // Loads the libraries by name; false (and nothing bound) when any of them cannot be loaded.
    bool Bind(bool twoLibraryMode, const std::string& programFolder);
    // Tests and embedders bind their own; port may be the same object as primary.
    void Bind(std::shared_ptr<DeviceLibrary> primary, std::shared_ptr<DeviceLibrary> port);
    void Unbind();
    bool IsBound() const { return m_primary != nullptr; }
    void SetCallbacks(Callbacks callbacks) { m_callbacks = std::move(callbacks); }

    // The port lock for the device being talked to (the library's PortAcquireFor, else the whole
    // port), tried again while waitForPort says so; the busy message when it stays busy.
    int AcquirePort();
    int ReleasePort();
    // Whether an acquire has given up on a busy port.
    bool PortWasBusy() const { return m_portWasBusy; }
    // The rest of a reply a ReadReply gave up on is read and dropped first: it belongs to the
    // question before, never to this job.
    int WritePrinter(const void* data, uint32_t length);
    int ReadPrinter(void* buffer, uint32_t capacity);
    // A reply whose reader can tell when it is whole: read with ReadPrinter after the `already`
    // bytes the buffer holds, until `whole` holds, the buffer is full, or a read brings nothing
    // past deadlineMs (see ReadWholeReply). A reply that stays short is owed to its question.
    ReplyRead ReadReply(void* buffer, uint32_t capacity, const IsWhole& whole, unsigned deadlineMs = 0,
                        size_t already = 0);
    bool IsPrinterConnected(const std::string& deviceName);
    bool IsPrinterReady();
    // Why the last open or presence test failed, as the library said; nothing known after one
    // that succeeded, or with a library that cannot say.
    const DeviceFailure& LastOpenFailure() const { return m_lastOpenFailure; }

private:
    template <typename Fn>
    Fn Entry(DeviceLibrary* lib, const char* name);
    // Open for a data transfer; false when the library fails or lacks the entry point.
    bool OpenForTransfer();
    void CloseDevice(int how);
    bool TryAcquirePort();
    // Keeps the library's reason after a failed open or check, forgets it after one that worked.
    bool NoteOpen(bool opened);
    std::string DeviceName() const;
    void Debug(const std::string& text) const;

    std::shared_ptr<DeviceLibrary> m_primary;
    std::shared_ptr<DeviceLibrary> m_port;
    Callbacks m_callbacks;
    DeviceFailure m_lastOpenFailure;
    bool m_portWasBusy = false;
    LateReply m_late;
};

// How a front end counts a transfer that broke off: "N of M bytes were handed to the link". What
// the link took is all that is known; how much of it reached the printer nobody can tell.
std::string HandedToLinkText(uint64_t handed, uint64_t size);

}  // namespace tav
