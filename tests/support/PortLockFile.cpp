#include "PortLockFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <qvdevm/qvdevm.h>

namespace tavtest {

namespace {
int OpenLockFile(const std::string& lockDir) {
    const std::string path = lockDir + "port-" + std::to_string(QVDEVM_PORT_TOKEN) + ".lock";
    return open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
}
}  // namespace

bool PortFree(const std::string& lockDir) {
    const int fd = OpenLockFile(lockDir);
    const bool free = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) close(fd);
    return free;
}

PortHold::PortHold(const std::string& lockDir) : m_fd(OpenLockFile(lockDir)) {
    m_held = m_fd >= 0 && flock(m_fd, LOCK_EX | LOCK_NB) == 0;
}

PortHold::~PortHold() {
    if (m_fd >= 0) close(m_fd);
}

}  // namespace tavtest
