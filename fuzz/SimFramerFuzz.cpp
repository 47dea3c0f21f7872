// Any byte stream from the host, cut anywhere: the simulator's framer accounts for every byte,
// and how the stream was cut into reads never changes the jobs and data it finds.
#include <cstdlib>

#include "Framer.h"
#include "FuzzSeeds.h"

namespace {
std::vector<tavsim::Segment> Frame(const uint8_t* data, size_t size, size_t piece) {
    tavsim::Framer framer(64, 1 << 16);
    std::vector<tavsim::Segment> segs;
    for (size_t at = 0; at < size; at += piece)
        framer.Feed(data + at, std::min(piece, size - at), segs);
    framer.Finish(segs);
    return segs;
}
} // namespace

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    const std::string uel = "\x1b%-12345X";
    return {SeedBytes(uel + "@PJL\r\n@PJL INFO PRINTER = ALL\r\n" + uel),
            SeedBytes("@PJL ENTER LANGUAGE=PCL\r\n\x1b(s1p10v0s0b4099T" + uel + uel + "%!PS\n" + uel),
            SeedBytes("QVFW\x00\x00\x00\x10" + std::string(8, '\x1b') + "\x1b%-1234" + uel + "@PJ"),
            SeedBytes(uel.substr(0, 5) + "@pjl" + uel.substr(0, 8))};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks how the rest is cut into reads.
    const size_t piece = 1 + data[0] % 13;
    ++data;
    // Longer streams add nothing the framer has not met by then, only time: a job is one
    // request, and the keep limits are set low above.
    size = std::min<size_t>(size - 1, 2048);
    const auto whole = Frame(data, size, size ? size : 1);
    const auto cut = Frame(data, size, piece);
    uint64_t total = 0;
    for (const auto& s : whole) {
        total += s.size;
        if (s.bytes.size() > s.size || s.clipped != (s.bytes.size() < s.size)) std::abort();
    }
    if (total != size || whole.size() != cut.size()) std::abort();
    for (size_t i = 0; i < whole.size(); ++i)
        if (whole[i].kind != cut[i].kind || whole[i].size != cut[i].size || whole[i].bytes != cut[i].bytes ||
            whole[i].complete != cut[i].complete || whole[i].sha256 != cut[i].sha256)
            std::abort();
    return 0;
}
