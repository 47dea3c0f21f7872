#include "qvdevm/Debug.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace qvdevm {

bool DebugEnabled() {
    const char* value = std::getenv("QVDEVM_DEBUG");
    return value && std::strcmp(value, "1") == 0;
}

void DebugLine(const std::string& text) {
    if (!DebugEnabled()) return;
    // One write per line, so lines of several threads do not interleave.
    std::string line = "[QVDEVM] " + text + "\n";
    const char* p = line.data();
    size_t left = line.size();
    while (left > 0) {
        ssize_t n = write(STDERR_FILENO, p, left);
        if (n <= 0) break;
        p += n;
        left -= static_cast<size_t>(n);
    }
}

} // namespace qvdevm
