// The byte-level side of the diagnostic panel: its two PJL jobs, the display reply, the hex
// dump and the parsing of its configuration values.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace nux {

inline constexpr std::string_view kUel = "\x1b%-12345X";
inline constexpr std::size_t kReplySize = 33;
inline constexpr std::size_t kLineLength = 16;

// Where trace lines go; one call per line.
using DebugOut = std::function<void(std::string_view)>;

std::string BuildEnterModeJob();
std::string BuildKeyJob(std::string_view code);

// The key code a key button sends, or an empty view for an id that is no key.
std::string_view KeyCodeFor(int controlId);

struct DisplayLines {
    std::string line1;
    std::string line2;
};

// Bytes 1-16 and 17-32 of the reply, each ended early by a zero byte. `count` bytes are valid.
DisplayLines SplitDisplayReply(const std::uint8_t* reply, std::size_t count);

// Rows of eight bytes: offset, the bytes in hex (missing ones as 00), the bytes present as text.
void HexDump(const std::uint8_t* data, std::size_t count, const DebugOut& out);

// A hexadecimal value as the configuration stores it: the first two characters are a prefix
// and skipped; what follows is read like scanf's %x. Anything unreadable gives 0.
std::uint32_t ParsePrefixedHex(std::string_view text);

} // namespace nux
