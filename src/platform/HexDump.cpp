#include "platform/HexDump.h"

#include <cstdio>

namespace tav {

std::vector<std::string> HexDumpRows(const std::uint8_t* data, std::size_t count) {
    std::vector<std::string> rows;
    for (std::size_t off = 0; off < count; off += 8) {
        char row[100];
        int n = std::snprintf(row, sizeof row, "%#04zx: ", off);
        for (std::size_t i = 0; i < 8; ++i) {
            const unsigned v = off + i < count ? data[off + i] : 0;
            n += std::snprintf(row + n, sizeof row - static_cast<std::size_t>(n), "%02X ", v);
        }
        for (std::size_t i = 0; i < 8 && off + i < count; ++i) {
            const unsigned char c = data[off + i];
            row[n++] = (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
        }
        row[n++] = '\r';
        row[n++] = '\n';
        rows.emplace_back(row, static_cast<std::size_t>(n));
    }
    return rows;
}

} // namespace tav
