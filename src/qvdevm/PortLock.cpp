#include "qvdevm/PortLock.h"

#include "qvdevm/Debug.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qvdevm {

std::string LockFileName(int token) { return "port-" + std::to_string(token) + ".lock"; }

bool PortLock::Acquire(int token, std::string (*folder)()) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Hold& hold = m_holds[token];
    if (hold.count > 0) {
        ++hold.count;
        return true;
    }
    const std::string dir = folder();
    if (dir.empty()) {
        DebugLine("no folder for the port lock");
        return false;
    }
    const std::string path = dir + "/" + LockFileName(token);
    if (hold.fd >= 0 && hold.path != path) {
        close(hold.fd);
        hold.fd = -1;
    }
    if (hold.fd < 0) {
        // Never follow a link: the name must be the file we locked last time, not something
        // another user put there. A file the install created may only be readable to us.
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0 && (errno == EACCES || errno == EPERM)) fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0) {
            DebugLine("cannot open the port lock " + path + ": " + std::strerror(errno));
            return false;
        }
        hold.fd = fd;
        hold.path = path;
    }
    while (flock(hold.fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno == EWOULDBLOCK) DebugLine("port " + std::to_string(token) + ": device busy");
        else DebugLine(std::string("port lock failed: ") + std::strerror(errno));
        return false;
    }
    hold.count = 1;
    return true;
}

bool PortLock::Release(int token) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_holds.find(token);
    if (it == m_holds.end() || it->second.count == 0) return false;
    if (--it->second.count == 0) flock(it->second.fd, LOCK_UN);  // the file stays open for the next hold
    return true;
}

int PortLock::Count(int token) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_holds.find(token);
    return it == m_holds.end() ? 0 : it->second.count;
}

void PortLock::ForgetAfterFork() {
    // No locking: other threads of the parent do not exist here, and one of them may have
    // held the mutex at the fork.
    new (&m_mutex) std::mutex();
    for (auto& [token, hold] : m_holds) {
        (void)token;
        hold.count = 0;
        hold.fd = -1;
        hold.path.clear();
    }
}

}  // namespace qvdevm
