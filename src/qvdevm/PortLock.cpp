#include "qvdevm/PortLock.h"

#include "qvdevm/Debug.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvdevm {

std::string LockFileName(int token) {
    return "port-" + std::to_string(token) + ".lock";
}

namespace {

// Never follows a link, and takes nothing but a plain file: the name must be the file we
// locked last time, not something another user put there. A file the install created may
// only be readable to us, which is enough for flock.
int OpenLockFile(const std::string& path) {
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
    if (fd < 0 && (errno == EACCES || errno == EPERM))
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        DebugLine("cannot open the port lock " + path + ": " + std::strerror(errno));
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        DebugLine("the port lock " + path + " is not a plain file");
        close(fd);
        return -1;
    }
    return fd;
}

} // namespace

bool PortLock::Acquire(int token, std::vector<std::string> (*folders)()) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Hold& hold = m_holds[token];
    if (hold.count > 0) {
        ++hold.count;
        return true;
    }
    const std::vector<std::string> dirs = folders();
    if (dirs.empty()) {
        DebugLine("no folder for the port lock");
        return false;
    }
    // Still the file we hold open? Then keep it; the folders may have changed (tests do that).
    bool current = false;
    for (const std::string& dir : dirs)
        current = current || hold.path == dir + "/" + LockFileName(token);
    if (hold.fd >= 0 && !current) {
        close(hold.fd);
        hold.fd = -1;
        hold.path.clear();
    }
    for (size_t i = 0; hold.fd < 0 && i < dirs.size(); ++i) {
        const std::string path = dirs[i] + "/" + LockFileName(token);
        int fd = OpenLockFile(path);
        if (fd < 0) continue;
        hold.fd = fd;
        hold.path = path;
    }
    if (hold.fd < 0) return false;
    while (flock(hold.fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno == EWOULDBLOCK)
            DebugLine("port " + std::to_string(token) + ": device busy");
        else
            DebugLine(std::string("port lock failed: ") + std::strerror(errno));
        return false;
    }
    hold.count = 1;
    return true;
}

bool PortLock::Release(int token) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_holds.find(token);
    if (it == m_holds.end() || it->second.count == 0) return false;
    if (--it->second.count == 0) flock(it->second.fd, LOCK_UN); // the file stays open for the next hold
    return true;
}

int PortLock::Count(int token) const {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_holds.find(token);
    return it == m_holds.end() ? 0 : it->second.count;
}

bool PortLock::AnyHeld() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [token, hold] : m_holds) {
        (void)token;
        if (hold.count > 0) return true;
    }
    return false;
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

} // namespace qvdevm
