#include "qvdevm/PjlStatus.h"

#include <cctype>
#include <cstdlib>

namespace qvdevm {

namespace {

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

StatusBytes ParseInfoStatus(const std::string& reply) {
    StatusBytes result;
    long code = -1;
    int online = -1;
    size_t pos = 0;
    while (pos < reply.size()) {
        size_t end = reply.find_first_of("\r\n\f", pos);
        if (end == std::string::npos) end = reply.size();
        const std::string line = reply.substr(pos, end - pos);
        pos = end + 1;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string key = Upper(Trim(line.substr(0, eq)));
        const std::string value = Trim(line.substr(eq + 1));
        if (key == "CODE") {
            char* stop = nullptr;
            long v = std::strtol(value.c_str(), &stop, 10);
            if (stop != value.c_str() && *stop == '\0' && v >= 0) code = v;
        } else if (key == "ONLINE") {
            const std::string u = Upper(value);
            if (u == "TRUE")
                online = 1;
            else if (u == "FALSE")
                online = 0;
        }
    }
    if (code < 0) return result;
    result.valid = true;
    // 10001 ready, 10000 power save (wakes on the next job); everything else needs attention.
    const bool ready = code == 10001 || code == 10000;
    if (online < 0) online = code == 10001 ? 1 : 0;
    result.bytes[0] = 9;
    result.bytes[1] = ready ? 1 : 0;
    result.bytes[2] = online ? 1 : 0;
    return result;
}

} // namespace qvdevm
