#include "cli/NameText.h"

#include <cstdio>

#include "platform/Ini.h"

namespace tav::cli {
namespace {

void Escape(std::string& out, unsigned char c) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += hex;
}

} // namespace

std::string TerminalName(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const size_t n = Utf8SequenceAt(bytes, i);
        // U+0080 to U+009F are the C1 controls, encoded C2 80 to C2 9F.
        const bool control = c < 0x20 || c == 0x7F || (n == 2 && c == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0);
        if (n == 0 || control) {
            for (size_t k = 0; k < (n ? n : 1); ++k)
                Escape(out, static_cast<unsigned char>(bytes[i + k]));
            i += n ? n : 1;
            continue;
        }
        out.append(bytes, i, n);
        i += n;
    }
    return out;
}

} // namespace tav::cli
