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
#include <vector>

namespace qvdevm {

class DeviceLink {
  public:
    using Clock = std::chrono::steady_clock;

    DeviceLink(std::string name, std::unique_ptr<Transport> transport, const Settings& settings);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Brings the link up if it is down, unless a stream was under way on it (see Write).
    bool Attach(std::string& why);
    void Detach();
    int Attached() const { return m_attached.load(); }
    Clock::time_point LastUse() const;
    bool Usable() const; // up, or holding unread bytes

    // Writes the bytes; returns the count written. A write begins a new job when it starts with
    // the UEL, follows a read, or follows a write that ended with the UEL; it first takes in
    // what the device already holds and discards every unread byte of earlier exchanges (with
    // a debug line), and it brings the link up when it is down. Any other write continues the
    // stream of the write before it and goes only into the connection that carried that one:
    // when that connection is gone (or a write of the stream failed), it writes nothing, and
    // so does every later write of the stream; only a new job connects again. A write that
    // timed out leaves the connection up, so the stream may go on where it stopped.
    size_t Write(const uint8_t* data, size_t length);
    // Buffered bytes at once; otherwise waits for the first byte, then collects until capacity
    // is filled or the line goes quiet. Never more than capacity.
    uint32_t Read(uint8_t* buffer, uint32_t capacity);
    bool VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                      uint32_t& returned);

    // Orderly end: half-close, wait for the peer's end, then close; a wedged connection is
    // aborted instead.
    void CloseForReal();

    const std::string& Name() const { return m_name; }

  private:
    bool BringUpLocked(std::string& why);
    void StopReaderLocked();
    // Closes the connection on an error; abort where it is wedged.
    void DropLocked(const char* reason, bool abort = false);
    // Has the reader thread take in what the device already holds; returns when it has.
    void TakeInLocked();
    void ReaderLoop();
    // The reader thread's side of TakeInLocked; false when the device has ended.
    bool TakeInNow(std::vector<uint8_t>& chunk);

    const std::string m_name;
    const Settings m_settings;
    mutable std::mutex m_mutex; // the transport's life and writes
    std::unique_ptr<Transport> m_transport;
    bool m_up = false;
    std::thread m_reader;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_draining{false};
    std::atomic<bool> m_readerEnded{true};
    std::mutex m_endMutex; // the reader thread's end and its intakes
    std::condition_variable m_endChanged;
    std::atomic<uint64_t> m_intakesAsked{0};
    uint64_t m_intakesDone = 0; // under m_endMutex
    std::atomic<int> m_attached{0};
    std::atomic<Clock::rep> m_lastUse{0};
    // The stream: whether the next write continues the last one, the connection that carried
    // it (counted per connect), and whether it has been lost. Under m_mutex but the first,
    // which a read clears without it.
    std::atomic<bool> m_streamOpen{false};
    uint64_t m_connection = 0;
    uint64_t m_streamConnection = 0;
    bool m_streamLost = false;
    // A write of this connection timed out and the device has taken nothing since: it holds
    // bytes that may never go out, and no end or job behind them would arrive.
    bool m_wedged = false;
    LinkBuffer m_buffer;
};

} // namespace qvdevm
