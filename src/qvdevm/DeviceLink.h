// One persistent link to one device. The programs open and close around every transfer; the
// link stays up across those calls and a reader thread keeps draining the device into the
// buffer, so a reply that comes while nobody is reading waits for the next read.
#pragma once
#include "qvdevm/LinkBuffer.h"
#include "qvdevm/Settings.h"
#include "qvdevm/Transport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace qvdevm {

class DeviceLink {
  public:
    using Clock = std::chrono::steady_clock;

    DeviceLink(std::string name, std::unique_ptr<Transport> transport, const Settings& settings);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Brings the link up if it is down.
    bool Attach(std::string& why);
    void Detach();
    int Attached() const { return m_attached.load(); }
    Clock::time_point LastUse() const;
    bool Usable() const; // up, or holding unread bytes

    // Writes the bytes, bringing the link up first if it is down; returns the count written. A
    // write that begins a new job (it starts with the UEL, or it is the first after a read)
    // first discards the unread bytes of earlier exchanges, with a debug line.
    size_t Write(const uint8_t* data, size_t length);
    // Buffered bytes at once; otherwise waits for the first byte, then collects until capacity
    // is filled or the line goes quiet. Never more than capacity.
    uint32_t Read(uint8_t* buffer, uint32_t capacity);
    bool VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                      uint32_t& returned);

    // Orderly end: half-close, wait for the peer's end, then close.
    void CloseForReal();

    const std::string& Name() const { return m_name; }

  private:
    bool BringUpLocked(std::string& why);
    void StopReaderLocked();
    void DropLocked(const char* reason);
    void ReaderLoop();

    const std::string m_name;
    const Settings m_settings;
    mutable std::mutex m_mutex; // the transport's life and writes
    std::unique_ptr<Transport> m_transport;
    bool m_up = false;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_draining{false};
    std::atomic<bool> m_readerEnded{true};
    std::mutex m_endMutex;
    std::condition_variable m_endChanged;
    std::atomic<int> m_attached{0};
    std::atomic<Clock::rep> m_lastUse{0};
    std::atomic<bool> m_readSinceWrite{false}; // the next write begins a new exchange
    LinkBuffer m_buffer;
};

} // namespace qvdevm
