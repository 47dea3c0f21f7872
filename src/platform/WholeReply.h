// A reply whose reader can tell from its bytes when it is whole (its length, or its structure):
// it is read again while it is not, until it is or its time is up. Both panels read the printer
// through this, each with its own link.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace tav {

// One read of the link into dst, at most capacity bytes: what came, or 0 once the link's own read
// timeout passed with nothing. It waits; it never answers 0 at once while the link is up.
using ReadOnce = std::function<uint32_t(uint8_t* dst, uint32_t capacity)>;
// Whether the count bytes at data are the whole reply.
using IsWhole = std::function<bool(const uint8_t* data, size_t count)>;

// A reply of exactly n bytes, as the fixed-length ones are.
IsWhole HasLength(size_t n);

struct ReplyRead {
    size_t count = 0;
    bool whole = false;
};

// Reads into buffer after the `already` bytes it holds, until isWhole holds of all of it, the
// buffer is full, or a read brings nothing once deadlineMs (on the wait clock, from the call)
// has passed: with 0, the first read that brings nothing ends it.
ReplyRead ReadWholeReply(const ReadOnce& read, uint8_t* buffer, size_t capacity, const IsWhole& isWhole,
                         unsigned deadlineMs = 0, size_t already = 0);

// What a link still owes of a reply that was not whole when its read gave up. Its rest belongs
// to that question, never to the next: the next exchange reads it and drops it before it writes.
class LateReply {
  public:
    // After a reply's read: one that was not whole leaves its rest owed.
    void Note(const ReplyRead& read, const uint8_t* data, size_t capacity, IsWhole isWhole);
    bool Owed() const { return m_owed; }
    // Reads the rest of the owed reply as a read would, and drops it; the bytes dropped. Nothing
    // is owed afterwards, whether it came or not.
    size_t Drop(const ReadOnce& read, unsigned deadlineMs = 0);

  private:
    bool m_owed = false;
    std::vector<uint8_t> m_reply; // what came of it, with room for the rest
    size_t m_count = 0;
    IsWhole m_isWhole;
};

} // namespace tav
