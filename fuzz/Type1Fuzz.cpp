// Any file as a Type 1 font: the segmented converter either converts the whole input or says it
// did not, its output never outgrows what the input can make, and the font check takes a name
// only from a text font, cut to its buffer and terminated.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "FuzzSeeds.h"
#include "storage/Type1.h"

namespace {
std::vector<uint8_t> Segment(uint8_t type, const std::string& body, int32_t claimed) {
    std::vector<uint8_t> s = {0x80, type};
    for (int i = 0; i < 4; ++i)
        s.push_back(uint8_t(uint32_t(claimed) >> (8 * i)));
    s.insert(s.end(), body.begin(), body.end());
    return s;
}
std::vector<uint8_t> Join(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

const std::string kText = "%!PS-AdobeFont-1.0: Fuzz 001\r/FontName /Fuzz-Regular def\rcurrentfile eexec\r";

// One private folder for the whole run, removed when it ends (a plain array: it outlives every
// destructor the exit runs).
char g_folder[4096];

const char* Folder() {
    if (!*g_folder) {
        // In memory where the system offers it: tens of thousands of files go through it.
        const std::string base = std::filesystem::is_directory("/dev/shm")
                                     ? "/dev/shm"
                                     : std::filesystem::temp_directory_path().string();
        std::snprintf(g_folder, sizeof g_folder, "%s/fuzz-type1-XXXXXX", base.c_str());
        if (!mkdtemp(g_folder)) std::abort();
        setenv("TMPDIR", g_folder, 1); // the converter's private folder lives in it too
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(g_folder, ec);
        });
    }
    return g_folder;
}

void CheckName(const char* path) {
    char name[16];
    std::memset(name, 'x', sizeof name);
    if (tav::ValidateFont(path, name, sizeof name) == 1 && std::memchr(name, '\0', sizeof name) == nullptr)
        std::abort();
}
} // namespace

std::vector<std::vector<uint8_t>> FuzzSeeds() {
    const std::string binary(100, '\xA5');
    return {
        Join({Segment(1, kText, int32_t(kText.size())), Segment(2, binary, 100), Segment(3, "", 0)}),
        Join({Segment(1, kText, int32_t(kText.size())), Segment(2, binary, 101)}), // claims past the end
        Join({Segment(1, kText, -1)}),
        SeedBytes(kText + "%%EOF\n"),
        SeedBytes("%!PS-AdobeFont-1.0\n/FontName /AVeryLongNameIndeedThatIsCut def\n"),
        SeedBytes(std::string("%!PS-AdobeFont\0/FontName /Hidden def", 36)),
        SeedBytes("/FontName /NoHeader def %!PS-AdobeFont"),
    };
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = std::string(Folder()) + "/input.pfb";
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    CheckName(input.c_str());
    char converted[4096];
    if (tav::ConvertPfbToPfa(input.c_str(), converted, sizeof converted) == 1) {
        std::error_code ec;
        const auto grown = std::filesystem::file_size(converted, ec);
        // Text bytes become at most CR LF, binary ones two digits with a line end every 32.
        if (ec || grown > 3 * size + 16) std::abort();
        CheckName(converted);
    }
    return 0;
}
