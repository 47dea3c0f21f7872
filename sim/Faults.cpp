#include "Faults.h"

#include <cerrno>
#include <cstdlib>

namespace tavsim {
namespace {
bool Number(const std::string& s, long lo, long hi, long& out) {
    if (s.empty()) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtol(s.c_str(), &end, 10);
    return errno == 0 && *end == '\0' && out >= lo && out <= hi;
}
}  // namespace

bool ParseFault(const std::string& text, Faults& f, std::string& error) {
    size_t eq = text.find('=');
    std::string name = text.substr(0, eq);
    std::string arg = eq == std::string::npos ? std::string() : text.substr(eq + 1);
    bool wantsArg = name == "delay" || name == "split" || name == "truncate" || name == "drop-after";
    if (wantsArg == (eq == std::string::npos)) {
        error = "fault \"" + text + "\": " + (wantsArg ? "needs =NUMBER" : "takes no value");
        return false;
    }
    long n = 0;
    if (wantsArg && !Number(arg, name == "truncate" ? 0 : 1, 100000000L, n)) {
        error = "fault \"" + text + "\": bad number";
        return false;
    }
    if (name == "no-reply") f.noReply = true;
    else if (name == "delay") f.delayMs = int(n);
    else if (name == "split") f.splitBytes = size_t(n);
    else if (name == "truncate") f.truncateBytes = n;
    else if (name == "garbage") f.garbage = true;
    else if (name == "drop-after") f.dropAfterJobs = int(n);
    else if (name == "refuse") f.refuse = true;
    else {
        error = "unknown fault \"" + text + "\" (no-reply, delay=MS, split=BYTES, truncate=BYTES, garbage, "
                "drop-after=JOBS, refuse)";
        return false;
    }
    return true;
}

std::vector<uint8_t> Garble(const std::vector<uint8_t>& in) {
    std::vector<uint8_t> out(in.size());
    uint32_t x = 0x2545F491u;
    for (size_t i = 0; i < in.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        uint8_t b = uint8_t(x >> 24);
        out[i] = b == in[i] ? uint8_t(b ^ 0xA5) : b;
    }
    return out;
}

}  // namespace tavsim
