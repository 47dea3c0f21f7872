// Runs a fuzz target without libFuzzer, so every build exercises it as a regression test:
// the files given on the command line, or the seeds plus a fixed-seed stream of mutants.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "FuzzSeeds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<uint8_t> Mutate(std::vector<uint8_t> v, std::mt19937& rng, const std::vector<std::vector<uint8_t>>& seeds) {
    const int steps = 1 + static_cast<int>(rng() % 8);
    for (int s = 0; s < steps; ++s) {
        const size_t n = v.size();
        switch (rng() % 6) {
        case 0:  // flip a bit
            if (n) v[rng() % n] ^= static_cast<uint8_t>(1u << (rng() % 8));
            break;
        case 1:  // an interesting byte
            if (n) {
                static const uint8_t kBytes[] = {0x00, 0x01, 0x7F, 0x80, 0xC8, 0xC6, 0xFF, 0x0D, 0x0A, '='};
                v[rng() % n] = kBytes[rng() % sizeof kBytes];
            }
            break;
        case 2:  // insert random bytes
            v.insert(v.begin() + static_cast<long>(n ? rng() % (n + 1) : 0), 1 + rng() % 16, static_cast<uint8_t>(rng()));
            break;
        case 3:  // erase a run
            if (n) {
                const size_t at = rng() % n;
                v.erase(v.begin() + static_cast<long>(at), v.begin() + static_cast<long>(std::min(n, at + 1 + rng() % 32)));
            }
            break;
        case 4:  // splice part of another seed
            if (!seeds.empty()) {
                const auto& o = seeds[rng() % seeds.size()];
                if (!o.empty()) {
                    const size_t from = rng() % o.size();
                    const size_t len = std::min(o.size() - from, static_cast<size_t>(1 + rng() % 64));
                    v.insert(v.begin() + static_cast<long>(n ? rng() % (n + 1) : 0), o.begin() + static_cast<long>(from),
                             o.begin() + static_cast<long>(from + len));
                }
            }
            break;
        case 5:  // grow to or past a buffer boundary
            v.resize(std::min<size_t>(n + rng() % 8192, 16384), static_cast<uint8_t>(rng()));
            break;
        }
    }
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            std::ifstream in(argv[i], std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "cannot read %s\n", argv[i]);
                return 2;
            }
            std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(data.data(), data.size());
        }
        return 0;
    }
    const std::vector<std::vector<uint8_t>> seeds = FuzzSeeds();
    for (const auto& s : seeds) LLVMFuzzerTestOneInput(s.data(), s.size());
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::mt19937 rng(20261208);
    const int rounds = 100000;
    for (int i = 0; i < rounds; ++i) {
        std::vector<uint8_t> base = seeds.empty() ? std::vector<uint8_t>{} : seeds[rng() % seeds.size()];
        const std::vector<uint8_t> m = Mutate(std::move(base), rng, seeds);
        LLVMFuzzerTestOneInput(m.data(), m.size());
    }
    std::printf("%zu seeds and %d mutants survived\n", seeds.size(), rounds);
    return 0;
}
