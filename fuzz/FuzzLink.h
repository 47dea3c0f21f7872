// A device library inside the fuzz target: every read hands out the next piece of the input, so
// a listing query parses whatever bytes the fuzzer chose, in the pieces it chose.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "link/DeviceLibrary.h"
#include "pjl/AppContext.h"

namespace fuzzlink {

struct Feed {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    size_t firstPiece = 0; // the first read returns at most this much; later reads the rest
    int reads = 0;
};

inline Feed& Current() {
    static Feed feed;
    return feed;
}

inline int Open(int, int, int, int, const char*) {
    return 1;
}
inline int Close(int) {
    return 1;
}
inline int Port(int) {
    return 1;
}
inline int Write(const void*, uint32_t length, uint32_t* count) {
    *count = length;
    return 1;
}
inline int Read(void* buffer, uint32_t capacity, uint32_t* count) {
    Feed& f = Current();
    size_t n = std::min<size_t>(capacity, f.size - f.pos);
    if (f.reads++ == 0) n = std::min(n, f.firstPiece);
    if (n) std::memcpy(buffer, f.data + f.pos, n);
    f.pos += n;
    *count = static_cast<uint32_t>(n);
    return 1;
}

// The first input byte picks the size of the first piece (in 16-byte steps), the rest is the reply.
inline void Serve(const uint8_t* data, size_t size) {
    Feed& f = Current();
    f = Feed{};
    if (size == 0) return;
    f.firstPiece = size_t(data[0]) * 16;
    f.data = data + 1;
    f.size = size - 1;
}

inline void Bind(tav::AppContext& ctx) {
    // The queries write debug lines; they are not what is under test.
    setenv("TAV_DEBUG_FILE", "/dev/null", 1);
    auto lib = std::make_shared<tav::TableLibrary>("fuzz");
    lib->Set("DeviceOpen", &Open);
    lib->Set("DeviceClose", &Close);
    lib->Set("DeviceWrite", &Write);
    lib->Set("DeviceRead", &Read);
    lib->Set("PortAcquire", &Port);
    lib->Set("PortRelease", &Port);
    ctx.link.Bind(lib, lib);
}

} // namespace fuzzlink
