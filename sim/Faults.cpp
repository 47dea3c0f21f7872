#include "Faults.h"

#include <cctype>
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

// Upper case with runs of blanks (and the '=' of "INFO PRINTER = ALL") made one blank, so an aim
// is written the way a person reads the command.
std::string Words(const std::string& s) {
    std::string out;
    for (char c : s) {
        const bool blank = c == ' ' || c == '\t' || c == '=';
        if (blank) {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += char(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

const char kNames[] = "no-reply, delay=MS, split=BYTES, truncate=BYTES, garbage[=SEED], drop, stall, unasked, "
                      "cut=BYTES, drop-after=JOBS, refuse";
}  // namespace

void FaultSet::Merge(const FaultSet& o) {
    noReply |= o.noReply;
    if (o.delayMs) delayMs = o.delayMs;
    if (o.splitBytes) splitBytes = o.splitBytes;
    if (o.truncateBytes >= 0) truncateBytes = o.truncateBytes;
    garbage |= o.garbage;
    if (o.garbageSeed) garbageSeed = o.garbageSeed;
    if (o.cutBytes) cutBytes = o.cutBytes;
    drop |= o.drop;
    stall |= o.stall;
    unasked |= o.unasked;
}

FaultSet Faults::ForJob(int jobNumber, const std::vector<std::string>& commands) const {
    FaultSet out = *this;
    for (const AimedFault& a : aimed) {
        bool hit = a.job > 0 && a.job == jobNumber;
        for (size_t i = 0; !hit && !a.command.empty() && i < commands.size(); ++i) {
            const std::string w = Words(commands[i]);
            hit = w.compare(0, a.command.size(), a.command) == 0 &&
                  (w.size() == a.command.size() || w[a.command.size()] == ' ');
        }
        if (hit) out.Merge(a.set);
    }
    return out;
}

bool ParseFault(const std::string& text, Faults& f, std::string& error) {
    const size_t colon = text.rfind(':');
    const std::string scope = colon == std::string::npos ? std::string() : text.substr(0, colon);
    const std::string desc = colon == std::string::npos ? text : text.substr(colon + 1);
    size_t eq = desc.find('=');
    std::string name = desc.substr(0, eq);
    std::string arg = eq == std::string::npos ? std::string() : desc.substr(eq + 1);
    const bool wantsArg =
        name == "delay" || name == "split" || name == "truncate" || name == "drop-after" || name == "cut";
    const bool mayTakeArg = wantsArg || name == "garbage";
    if ((wantsArg && eq == std::string::npos) || (!mayTakeArg && eq != std::string::npos)) {
        error = "fault \"" + text + "\": " + (wantsArg ? "needs =NUMBER" : "takes no value");
        return false;
    }
    long n = 0;
    if (eq != std::string::npos && !Number(arg, name == "truncate" ? 0 : 1, name == "garbage" ? 0xFFFFFFFFL : 100000000L, n)) {
        error = "fault \"" + text + "\": bad number";
        return false;
    }
    AimedFault aim;
    if (colon != std::string::npos) {
        long job = 0;
        if (scope.size() > 3 && (scope.compare(0, 3, "job") == 0 || scope.compare(0, 3, "JOB") == 0) &&
            std::isdigit(static_cast<unsigned char>(scope[3]))) {
            if (!Number(scope.substr(3), 1, 100000000L, job)) {
                error = "fault \"" + text + "\": bad job number";
                return false;
            }
            aim.job = int(job);
        } else {
            aim.command = Words(scope);
            if (aim.command.empty()) {
                error = "fault \"" + text + "\": no command before ':'";
                return false;
            }
        }
        if (name == "drop-after" || name == "refuse") {
            error = "fault \"" + text + "\": " + name + " applies to the whole run, not to one job";
            return false;
        }
    }
    FaultSet& s = colon == std::string::npos ? static_cast<FaultSet&>(f) : aim.set;
    if (name == "no-reply") s.noReply = true;
    else if (name == "delay") s.delayMs = int(n);
    else if (name == "split") s.splitBytes = size_t(n);
    else if (name == "truncate") s.truncateBytes = n;
    else if (name == "garbage") {
        s.garbage = true;
        s.garbageSeed = uint32_t(n);
    }
    else if (name == "cut") s.cutBytes = uint64_t(n);
    else if (name == "drop") s.drop = true;
    else if (name == "stall") s.stall = true;
    else if (name == "unasked") s.unasked = true;
    else if (name == "drop-after") f.dropAfterJobs = int(n);
    else if (name == "refuse") f.refuse = true;
    else {
        error = "unknown fault \"" + text + "\" (" + kNames + "; aimed: COMMAND:FAULT or jobN:FAULT)";
        return false;
    }
    if (colon != std::string::npos) f.aimed.push_back(aim);
    return true;
}

std::vector<uint8_t> Garble(const std::vector<uint8_t>& in, uint32_t seed) {
    std::vector<uint8_t> out(in.size());
    uint32_t x = 0x2545F491u ^ (seed * 2654435761u);
    if (x == 0) x = 0x2545F491u;  // xorshift never leaves 0
    for (size_t i = 0; i < in.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        uint8_t b = uint8_t(x >> 24);
        out[i] = b == in[i] ? uint8_t(b ^ 0xA5) : b;
    }
    return out;
}

std::vector<uint8_t> UnaskedStatus() {
    static const char kText[] = "@PJL USTATUS DEVICE\r\nCODE=10001\r\nDISPLAY=\"READY\"\r\nONLINE=TRUE\r\n\f";
    return std::vector<uint8_t>(kText, kText + sizeof kText - 1);
}

}  // namespace tavsim
