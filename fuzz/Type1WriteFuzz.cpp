// The Type 1 converter against a writer that fails at a chosen byte, as a full disk or a file-size
// limit does. The first four bytes of an input choose that byte (little-endian), the rest is the
// font. Whatever the font, the output is never overrun: up to the failure the writer receives
// exactly what a writer that never fails receives, nothing after it, and a conversion whose text
// did not all fit ends with 0.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSeeds.h"
#include "storage/Type1.h"

namespace {

struct Run {
    int result = 0;
    std::string out;
};

Run Convert(int fd, size_t size, size_t failAt) {
    Run run;
    bool failed = false;
    const tav::Type1Writer writer = [&](const char* data, size_t n) {
        if (failed) std::abort(); // nothing may be written after a failure
        const size_t room = failAt - run.out.size();
        if (n <= room) {
            run.out.append(data, n);
            return true;
        }
        run.out.append(data, room);
        failed = true;
        return false;
    };
    if (::lseek(fd, 0, SEEK_SET) != 0) std::abort();
    run.result = tav::ConvertPfbStream(fd, size, writer);
    return run;
}

std::vector<uint8_t> Seed(uint32_t failAt, const std::string& font) {
    std::vector<uint8_t> s;
    for (int i = 0; i < 4; ++i)
        s.push_back(static_cast<uint8_t>(failAt >> (8 * i)));
    s.insert(s.end(), font.begin(), font.end());
    return s;
}

std::string Segment(uint8_t type, const std::string& body) {
    std::string s = {'\x80', static_cast<char>(type)};
    const auto n = static_cast<uint32_t>(body.size());
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>(n >> (8 * i));
    return s + body;
}

} // namespace

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    const std::string font = Segment(1, "%!PS-AdobeFont-1.0: Cut\r/FontName /Cut def\r") +
                             Segment(2, std::string(9000, '\xC3')) + Segment(1, "\rcleartomark\r") + "\x80\x03";
    // Around the converter's 8 KiB buffer: before it fills, as it fills, just after, and past the end.
    return {Seed(0, font), Seed(1, font), Seed(8191, font), Seed(8192, font), Seed(8193, font),
            Seed(16385, font), Seed(1u << 20, font), Seed(5, Segment(1, "\r\r\r\r\r\r"))};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    uint32_t failAt = 0;
    for (int i = 0; i < 4; ++i)
        failAt |= static_cast<uint32_t>(data[i]) << (8 * i);
    const int fd = ::memfd_create("font", MFD_CLOEXEC);
    if (fd < 0) std::abort();
    const size_t fontSize = size - 4;
    if (fontSize > 0 && ::write(fd, data + 4, fontSize) != static_cast<ssize_t>(fontSize)) std::abort();
    const Run whole = Convert(fd, fontSize, SIZE_MAX);
    const Run cut = Convert(fd, fontSize, failAt);
    ::close(fd);
    if (whole.out.compare(0, cut.out.size(), cut.out) != 0) std::abort(); // the same bytes up to the cut
    const bool fits = whole.out.size() <= failAt;
    if (fits && (cut.result != whole.result || cut.out != whole.out)) std::abort();
    if (!fits && (cut.result != 0 || cut.out.size() != failAt)) std::abort();
    return 0;
}
