// Runs a fuzz target without libFuzzer, so every build exercises it as a regression test:
// the files given on the command line, or the kept corpus and the seeds plus a fixed-seed stream of mutants.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
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

std::vector<uint8_t> ReadAll(const std::filesystem::path& path, bool& ok) {
    std::ifstream in(path, std::ios::binary);
    ok = bool(in);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

// fuzz_X FILE...           runs those inputs once (to repeat a finding)
// fuzz_X --corpus DIR      runs the kept corpus, then the seeds and the mutants of both
// fuzz_X --write-seeds DIR writes the seeds as files, to start a corpus from
int main(int argc, char** argv) {
    std::vector<std::vector<uint8_t>> seeds = FuzzSeeds();
    if (argc == 3 && std::string(argv[1]) == "--write-seeds") {
        std::filesystem::create_directories(argv[2]);
        for (size_t i = 0; i < seeds.size(); ++i) {
            std::ofstream out(std::filesystem::path(argv[2]) / ("seed-" + std::to_string(i)), std::ios::binary);
            out.write(reinterpret_cast<const char*>(seeds[i].data()), static_cast<std::streamsize>(seeds[i].size()));
        }
        return 0;
    }
    size_t kept = 0;
    if (argc == 3 && std::string(argv[1]) == "--corpus") {
        std::vector<std::filesystem::path> files;
        for (const auto& e : std::filesystem::directory_iterator(argv[2]))
            if (e.is_regular_file()) files.push_back(e.path());
        std::sort(files.begin(), files.end());  // the same order on every machine
        if (files.empty()) {
            std::fprintf(stderr, "empty corpus %s\n", argv[2]);
            return 2;
        }
        for (const auto& f : files) {
            bool ok = false;
            std::vector<uint8_t> data = ReadAll(f, ok);
            LLVMFuzzerTestOneInput(data.data(), data.size());
            seeds.push_back(std::move(data));
        }
        kept = files.size();
    } else if (argc > 1) {
        for (int i = 1; i < argc; ++i) {
            bool ok = false;
            std::vector<uint8_t> data = ReadAll(argv[i], ok);
            if (!ok) {
                std::fprintf(stderr, "cannot read %s\n", argv[i]);
                return 2;
            }
            LLVMFuzzerTestOneInput(data.data(), data.size());
        }
        return 0;
    }
    for (const auto& s : seeds) LLVMFuzzerTestOneInput(s.data(), s.size());
    LLVMFuzzerTestOneInput(nullptr, 0);
    std::mt19937 rng(20261208);
    // Enough to keep the kept corpus's neighbours covered on every build; the open-ended search
    // for new findings is libFuzzer's, under `make fuzz`.
    const int rounds = 20000;
    for (int i = 0; i < rounds; ++i) {
        std::vector<uint8_t> base = seeds.empty() ? std::vector<uint8_t>{} : seeds[rng() % seeds.size()];
        const std::vector<uint8_t> m = Mutate(std::move(base), rng, seeds);
        LLVMFuzzerTestOneInput(m.data(), m.size());
    }
    std::printf("%zu corpus files, %zu seeds and %d mutants survived\n", kept, seeds.size() - kept, rounds);
    return 0;
}
