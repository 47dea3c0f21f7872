// An in-process printer whose writes can be cut short call by call, so a transfer's retries can
// be tested byte for byte. One instance at a time: the entry points are plain functions.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "pjl/AppContext.h"

namespace tavtest {

struct ScriptedDevice {
    ScriptedDevice();
    ~ScriptedDevice();
    // Binds ctx's link to this device.
    void Bind(tav::AppContext& ctx);
    // The bytes the printer took, and the length of every write call asked for.
    std::string taken;
    std::vector<uint32_t> writeCalls;
    // Per write call, in order: how many bytes to take at most (-1: all). Empty: all.
    std::deque<long> accept;
    std::deque<std::string> reads;
    bool open = true;
};

// A temporary file of the given bytes, removed with the object.
struct TempFile {
    explicit TempFile(const std::string& bytes, const std::string& name = "send.bin");
    ~TempFile();
    std::string path;
};

std::string Pattern(size_t n); // n bytes of a repeating, position-dependent pattern

} // namespace tavtest
