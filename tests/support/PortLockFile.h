// The device library's port lock seen from outside, through its lock file in the folder a test
// gives the programs (QVDEVM_LOCK_DIR): whether anybody holds it, and holding it as another
// program would.
#pragma once
#include <string>

namespace tavtest {

// True when no process holds the programs' port lock in `lockDir` (ending in '/').
bool PortFree(const std::string& lockDir);

// Holds the port lock in `lockDir` for its lifetime.
class PortHold {
public:
    explicit PortHold(const std::string& lockDir);
    ~PortHold();
    PortHold(const PortHold&) = delete;
    PortHold& operator=(const PortHold&) = delete;
    bool Held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

}  // namespace tavtest
