// The answer to "@PJL INFO STATUS" turned into the three status bytes of the vendor request.
#pragma once
#include <cstdint>
#include <string>

namespace qvdevm {

// The whole job, UEL framed, and the first line of the printer's answer.
inline constexpr char kInfoStatusJob[] = "\x1b%-12345X@PJL\r\n@PJL INFO STATUS\r\n\x1b%-12345X";
inline constexpr char kInfoStatusHeader[] = "@PJL INFO STATUS";

struct StatusBytes {
    bool valid = false; // the text carried a CODE line
    uint8_t bytes[3] = {0, 0, 0};
};

// 9 (a status answer), 1 when the status code says ready, 1 when the printer is online.
StatusBytes ParseInfoStatus(const std::string& reply);

} // namespace qvdevm
