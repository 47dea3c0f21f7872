#include "qvdevm/PortLock.h"

#include "qvdevm/Debug.h"
#include "qvdevm/DeviceName.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qvdevm {

std::string LockFileName(int token) {
    return "port-" + std::to_string(token) + ".lock";
}

std::string PortDeviceKey(const std::string& deviceName) {
    const DeviceName name = ParseDeviceName(deviceName);
    switch (name.kind) {
    case DeviceKind::Tcp: {
        std::string host = name.host;
        for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return "tcp " + host + " " + std::to_string(name.port);
    }
    case DeviceKind::CharDevice: {
        // Two names of one node are one printer.
        char* real = realpath(name.path.c_str(), nullptr);
        const std::string path = real ? real : name.path;
        std::free(real);
        return "node " + path;
    }
    case DeviceKind::Usb:
    case DeviceKind::UsbDefault:
        return "usb";
    case DeviceKind::Invalid:
        break;
    }
    return "name " + deviceName;
}

std::string DeviceLockFileName(int token, const std::string& key) {
    uint64_t hash = 14695981039346656037ull; // FNV-1a: a short, fixed name for any key
    for (unsigned char c : key) hash = (hash ^ c) * 1099511628211ull;
    char name[64];
    std::snprintf(name, sizeof name, "port-%d-%016llx.lock", token, static_cast<unsigned long long>(hash));
    return name;
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

// Takes one lock without waiting; false (with the debug line) when another process has it.
bool LockNow(int fd, int how, int token) {
    while (flock(fd, how | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno == EWOULDBLOCK)
            DebugLine("port " + std::to_string(token) + ": device busy");
        else
            DebugLine(std::string("port lock failed: ") + std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace

bool PortLock::LockDevice(Hold& hold, int token, const std::string& device) {
    if (hold.whole || hold.devices.count(device)) return true;
    // Beside the token's own file, which the folder check has just found.
    const std::string dir = hold.path.substr(0, hold.path.rfind('/') + 1);
    const int fd = OpenLockFile(dir + DeviceLockFileName(token, device));
    if (fd < 0) return false;
    if (!LockNow(fd, LOCK_EX, token)) {
        close(fd);
        return false;
    }
    hold.devices[device] = fd;
    return true;
}

void PortLock::UnlockAll(Hold& hold) {
    flock(hold.fd, LOCK_UN); // the token's file stays open for the next hold
    for (const auto& [key, fd] : hold.devices) {
        (void)key;
        close(fd);
    }
    hold.devices.clear();
    hold.whole = false;
}

bool PortLock::Acquire(int token, std::vector<std::string> (*folders)(), const std::string& device) {
    std::lock_guard<std::mutex> lock(m_mutex);
    Hold& hold = m_holds[token];
    if (hold.count > 0) {
        // The whole port cannot be had on top of a printer's hold: flock would drop the shared
        // lock before it tries for the exclusive one, and another program could slip in.
        if (device.empty() && !hold.whole) {
            DebugLine("port " + std::to_string(token) + ": held for one printer, not the whole port");
            return false;
        }
        if (!device.empty() && !LockDevice(hold, token, device)) return false;
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
    if (!LockNow(hold.fd, device.empty() ? LOCK_EX : LOCK_SH, token)) return false;
    hold.whole = device.empty();
    if (!device.empty() && !LockDevice(hold, token, device)) {
        flock(hold.fd, LOCK_UN);
        return false;
    }
    hold.count = 1;
    return true;
}

bool PortLock::Release(int token) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_holds.find(token);
    if (it == m_holds.end() || it->second.count == 0) return false;
    if (--it->second.count == 0) UnlockAll(it->second);
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
        hold.whole = false;
        hold.devices.clear();
    }
}

} // namespace qvdevm
