// libFuzzer starts from its corpus folder; running the seeds once at start-up checks them even
// when no corpus is given.
#include <cstdint>
#include <cstdio>

#include "FuzzSeeds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (const auto& s : FuzzSeeds()) LLVMFuzzerTestOneInput(s.data(), s.size());
    return 0;
}
