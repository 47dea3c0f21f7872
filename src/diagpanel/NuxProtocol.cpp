#include "diagpanel/NuxProtocol.h"

#include "platform/HexDump.h"

#include <array>
#include <cstdio>

namespace nux {

std::string BuildEnterModeJob() {
    std::string job(kUel);
    job += "@PJL\r\n@PJL ENGINE NUX_MODE=True\r\n";
    job += kUel;
    return job;
}

std::string BuildKeyJob(std::string_view code) {
    std::string job(kUel);
    job += "@PJL\r\n@PJL ENGINE NUX_BUTTON=";
    job += code;
    job += "\r\n";
    job += kUel;
    return job;
}

std::string_view KeyCodeFor(int controlId) {
    switch (controlId) {
    case 1000:
        return "1";
    case 1001:
        return "2";
    case 1002:
        return "3";
    case 1003:
        return "4";
    case 1004:
        return "5";
    default:
        return {};
    }
}

namespace {
std::string TakeLine(const std::uint8_t* reply, std::size_t count, std::size_t first) {
    std::string line;
    for (std::size_t i = first; i < first + kLineLength && i < count && i < kReplySize; ++i) {
        if (reply[i] == 0) break;
        line.push_back(static_cast<char>(reply[i]));
    }
    return line;
}
} // namespace

DisplayLines SplitDisplayReply(const std::uint8_t* reply, std::size_t count) {
    if (!reply) return {};
    return {TakeLine(reply, count, 1), TakeLine(reply, count, 1 + kLineLength)};
}

void HexDump(const std::uint8_t* data, std::size_t count, const DebugOut& out) {
    if (!out) return;
    for (const std::string& row : tav::HexDumpRows(data, count)) out(row);
}

std::uint32_t ParsePrefixedHex(std::string_view text) {
    if (text.size() <= 2) return 0;
    std::string_view s = text.substr(2);
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) i += 2;
    std::uint32_t value = 0;
    for (; i < s.size(); ++i) {
        const char ch = s[i];
        int digit;
        if (ch >= '0' && ch <= '9')
            digit = ch - '0';
        else if (ch >= 'a' && ch <= 'f')
            digit = ch - 'a' + 10;
        else if (ch >= 'A' && ch <= 'F')
            digit = ch - 'A' + 10;
        else
            break;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return negative ? 0u - value : value;
}

} // namespace nux
