// Bytes the reader thread has taken from the device and nobody has read yet. The producer is
// the reader thread, the consumers are DeviceRead and the status request; nothing here ever
// drops bytes it has accepted.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace qvdevm {

class LinkBuffer {
  public:
    explicit LinkBuffer(size_t maxBytes = 16u << 20);

    // Producer side. Blocks while the buffer is full; returns false when cancelled meanwhile.
    bool Append(const uint8_t* data, size_t length);
    // The producer is gone (peer closed, device lost): waiting readers return what there is.
    void MarkEnded();
    // A new producer starts (reconnect); buffered bytes stay.
    void Restart();
    // Wakes a blocked producer for good (the link is being torn down).
    void Cancel();

    // Drops every unread byte; returns how many there were.
    size_t Discard();

    bool Ended() const;
    size_t Size() const;
    uint64_t Produced() const; // bytes ever appended

    // Up to capacity bytes. With nothing buffered, waits up to firstTimeoutMs for a first byte;
    // then keeps collecting until capacity is reached or the line has been quiet for quietMs
    // (counted from the last arrival, so bytes that arrived long ago return at once).
    uint32_t Read(uint8_t* dst, uint32_t capacity, int firstTimeoutMs, int quietMs);

    // Removes and returns the first section that begins with header, lies in what was appended
    // after the producer count 'from', and ends with terminator. Waits up to timeoutMs for it.
    // Bytes around the section stay buffered.
    bool TakeSection(uint64_t from, const std::string& header, uint8_t terminator, int timeoutMs,
                     std::string& section);

  private:
    using Clock = std::chrono::steady_clock;
    size_t TakeLocked(uint8_t* dst, size_t n);
    size_t SizeLocked() const { return m_data.size() - m_head; }

    const size_t m_max;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<uint8_t> m_data;
    size_t m_head = 0;
    uint64_t m_produced = 0;
    Clock::time_point m_lastArrival{};
    bool m_ended = false;
    bool m_cancelled = false;
};

} // namespace qvdevm
