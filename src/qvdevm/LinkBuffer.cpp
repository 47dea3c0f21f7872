#include "qvdevm/LinkBuffer.h"

#include <algorithm>
#include <cstring>

namespace qvdevm {

LinkBuffer::LinkBuffer(size_t maxBytes) : m_max(maxBytes ? maxBytes : 1) {}

bool LinkBuffer::Append(const uint8_t* data, size_t length) {
    std::unique_lock<std::mutex> lock(m_mutex);
    while (length > 0) {
        m_changed.wait(lock, [&] { return m_cancelled || SizeLocked() < m_max; });
        if (m_cancelled) return false;
        if (m_head > 0 && m_head >= m_data.size() / 2) {
            m_data.erase(m_data.begin(), m_data.begin() + static_cast<std::ptrdiff_t>(m_head));
            m_head = 0;
        }
        size_t n = std::min(length, m_max - SizeLocked());
        m_data.insert(m_data.end(), data, data + n);
        data += n;
        length -= n;
        m_produced += n;
        m_lastArrival = Clock::now();
        m_changed.notify_all();
    }
    return true;
}

void LinkBuffer::MarkEnded() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
    m_changed.notify_all();
}

void LinkBuffer::Restart() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = false;
    m_cancelled = false;
}

void LinkBuffer::Cancel() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_cancelled = true;
    m_changed.notify_all();
}

size_t LinkBuffer::Discard() {
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t n = SizeLocked();
    m_data.clear();
    m_head = 0;
    m_changed.notify_all(); // room for a blocked producer
    return n;
}

bool LinkBuffer::Ended() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ended;
}

size_t LinkBuffer::Size() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return SizeLocked();
}

uint64_t LinkBuffer::Produced() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_produced;
}

size_t LinkBuffer::TakeLocked(uint8_t* dst, size_t n) {
    n = std::min(n, SizeLocked());
    if (n == 0) return 0;
    std::memcpy(dst, m_data.data() + m_head, n);
    m_head += n;
    if (m_head == m_data.size()) {
        m_data.clear();
        m_head = 0;
    }
    m_changed.notify_all(); // room for a blocked producer
    return n;
}

uint32_t LinkBuffer::Read(uint8_t* dst, uint32_t capacity, int firstTimeoutMs, int quietMs) {
    if (!dst || capacity == 0) return 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    if (SizeLocked() == 0) {
        m_changed.wait_for(lock, std::chrono::milliseconds(firstTimeoutMs),
                           [&] { return SizeLocked() > 0 || m_ended || m_cancelled; });
    }
    size_t got = TakeLocked(dst, capacity);
    if (got == 0) return 0;
    while (got < capacity && !m_cancelled) {
        if (SizeLocked() == 0) {
            if (m_ended) break;
            const auto quietEnd = m_lastArrival + std::chrono::milliseconds(quietMs);
            if (!m_changed.wait_until(lock, quietEnd,
                                      [&] { return SizeLocked() > 0 || m_ended || m_cancelled; })) {
                break;
            }
            continue;
        }
        got += TakeLocked(dst + got, capacity - got);
    }
    return static_cast<uint32_t>(got);
}

bool LinkBuffer::TakeSection(uint64_t from, const std::string& header, uint8_t terminator, int timeoutMs,
                             std::string& section) {
    if (header.empty()) return false;
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        // Bytes appended after 'from' are the newest ones; older ones may have been read away.
        const uint64_t newer = m_produced > from ? m_produced - from : 0;
        const size_t size = SizeLocked();
        const size_t start = m_head + (size > newer ? size - static_cast<size_t>(newer) : 0);
        auto begin = m_data.begin() + static_cast<std::ptrdiff_t>(start);
        auto found = std::search(begin, m_data.end(), header.begin(), header.end());
        if (found != m_data.end()) {
            auto end =
                std::find(found + static_cast<std::ptrdiff_t>(header.size()), m_data.end(), terminator);
            if (end != m_data.end()) {
                section.assign(found, end + 1);
                m_data.erase(found, end + 1);
                if (m_head == m_data.size()) {
                    m_data.clear();
                    m_head = 0;
                }
                m_changed.notify_all();
                return true;
            }
        }
        if (m_ended || m_cancelled || Clock::now() >= deadline) return false;
        m_changed.wait_until(lock, deadline);
    }
}

} // namespace qvdevm
