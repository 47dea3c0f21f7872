// Type 1 fonts made for the tests: a small text-form font, and the segmented binary form built
// from it the way font tools pack one (text header, binary body, text trailer, end marker).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace tavtest {

struct PfbSegment {
    uint8_t type; // 1 text, 2 binary, 3 end
    std::string data;
};

// A text-form font: header with /FontName, "eexec", a body of hexadecimal digits, a trailer.
inline std::string MakePfa(const std::string& name, size_t bodyBytes = 100) {
    std::string pfa = "%!PS-AdobeFont-1.0: " + name + " 001.000\r/FontName /" + name +
                      " def\r/FontType 1 def\rcurrentfile eexec\r";
    static const char kHex[] = "0123456789abcdef";
    for (size_t i = 0; i < bodyBytes; ++i) {
        const auto b = static_cast<uint8_t>((i * 37 + 11) & 0xFF);
        pfa += kHex[b >> 4];
        pfa += kHex[b & 15];
    }
    pfa += "\r0000000000000000\rcleartomark\r";
    return pfa;
}

inline std::string Pfb(const std::vector<PfbSegment>& segments) {
    std::string out;
    for (const PfbSegment& s : segments) {
        out += static_cast<char>(0x80);
        out += static_cast<char>(s.type);
        if (s.type == 3) continue;
        const auto n = static_cast<uint32_t>(s.data.size());
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((n >> (8 * i)) & 0xFF);
        out += s.data;
    }
    return out;
}

// The binary form of MakePfa's font: the hexadecimal body becomes a binary segment.
inline std::string MakePfb(const std::string& name, size_t bodyBytes = 100) {
    const std::string pfa = MakePfa(name, bodyBytes);
    const size_t start = pfa.find("eexec\r") + 6;
    const size_t end = pfa.find('\r', start);
    std::string binary;
    for (size_t i = start; i + 1 < end; i += 2)
        binary += static_cast<char>(std::stoi(pfa.substr(i, 2), nullptr, 16));
    return Pfb({{1, pfa.substr(0, start)}, {2, binary}, {1, pfa.substr(end + 1)}, {3, ""}});
}

} // namespace tavtest
