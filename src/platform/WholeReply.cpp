#include "platform/WholeReply.h"

#include <algorithm>

#include "platform/WaitClock.h"

namespace tav {

IsWhole HasLength(size_t n) {
    return [n](const uint8_t*, size_t count) { return count >= n; };
}

ReplyRead ReadWholeReply(const ReadOnce& read, uint8_t* buffer, size_t capacity, const IsWhole& isWhole,
                         unsigned deadlineMs, size_t already) {
    WaitClock& clock = CurrentWaitClock();
    const uint64_t deadline = clock.NowMs() + deadlineMs;
    ReplyRead r{std::min(already, capacity), false};
    r.whole = isWhole(buffer, r.count);
    while (!r.whole && r.count < capacity) {
        const size_t room = capacity - r.count;
        // A link that claims more than it was given has not read what was asked for.
        const uint32_t got = read(buffer + r.count, static_cast<uint32_t>(room));
        if (got <= room) r.count += got;
        r.whole = isWhole(buffer, r.count);
        if ((got == 0 || got > room) && clock.NowMs() >= deadline) break;
    }
    return r;
}

void LateReply::Note(const ReplyRead& read, const uint8_t* data, size_t capacity, IsWhole isWhole) {
    m_owed = !read.whole && read.count < capacity;
    if (!m_owed) return;
    m_reply.assign(data, data + read.count);
    m_reply.resize(capacity);
    m_count = read.count;
    m_isWhole = std::move(isWhole);
}

size_t LateReply::Drop(const ReadOnce& read, unsigned deadlineMs) {
    if (!m_owed) return 0;
    m_owed = false;
    const ReplyRead r = ReadWholeReply(read, m_reply.data(), m_reply.size(), m_isWhole, deadlineMs, m_count);
    return r.count - m_count;
}

} // namespace tav
