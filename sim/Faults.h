// Faults a test can inject into the simulated printer's answers and connections.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tavsim {

struct Faults {
    bool noReply = false;   // "no-reply": replies are dropped (logged as faults)
    int delayMs = 0;        // "delay=MS": each reply waits this long first
    size_t splitBytes = 0;  // "split=BYTES": each reply goes out in pieces of this size
    long truncateBytes = -1;  // "truncate=BYTES": only the first BYTES of each reply are sent
    bool garbage = false;   // "garbage": each reply's bytes are replaced by noise of the same length
    int dropAfterJobs = 0;  // "drop-after=JOBS": a connection is closed once it has carried JOBS jobs
    bool refuse = false;    // "refuse": the port is bound but never listened on, so connects are refused
};

bool ParseFault(const std::string& text, Faults& f, std::string& error);

// The same noise for the same input, so a failing test can be repeated; never equal to the input.
std::vector<uint8_t> Garble(const std::vector<uint8_t>& in);

}  // namespace tavsim
