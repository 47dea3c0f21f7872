#include "qvdevm/Settings.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qvdevm {

int EnvInt(const char* name, int fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < 0 || value > INT_MAX) return fallback;
    return static_cast<int>(value);
}

int LingerMs() {
    // Just longer than the longest gap one operation leaves between its transfers (the 4 s wait
    // of Default before its read, 2.5 s before Send's, a 2 s retry, a 1 s chunk retry), so a
    // reply is never lost with the connection; and short, because a network printer serves one
    // connection at a time and every other program is locked out while the link lingers.
    return EnvInt("QVDEVM_LINGER_MS", 5000);
}

Settings Settings::FromEnvironment() {
    Settings s;
    s.lingerMs = LingerMs();
    s.readTimeoutMs = EnvInt("QVDEVM_READ_TIMEOUT_MS", 5000);
    s.quietMs = EnvInt("QVDEVM_QUIET_MS", 250);
    s.connectTimeoutMs = EnvInt("QVDEVM_CONNECT_TIMEOUT_MS", 3000);
    s.writeTimeoutMs = EnvInt("QVDEVM_WRITE_TIMEOUT_MS", 60000);
    s.drainMs = EnvInt("QVDEVM_DRAIN_MS", 2000);
    const char* debug = std::getenv("QVDEVM_DEBUG");
    s.debug = debug && std::string(debug) == "1";
    return s;
}

namespace {

// A folder we may keep lock files in: a real directory (not a link), owned by root or by us,
// and not writable by anybody else unless it is sticky.
bool IsSafeFolder(const std::string& path, bool mustBeOurs) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    const uid_t me = geteuid();
    if (mustBeOurs && st.st_uid != me) return false;
    if (st.st_uid != me && st.st_uid != 0) return false;
    if ((st.st_mode & (S_IWGRP | S_IWOTH)) && !(st.st_mode & S_ISVTX)) return false;
    return true;
}

std::string PrivateFolder(const std::string& parent, const std::string& name) {
    std::string path = parent + "/" + name;
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return {};
    return IsSafeFolder(path, true) ? path : std::string();
}

} // namespace

std::vector<std::string> LockFolders() {
    if (const char* dir = std::getenv("QVDEVM_LOCK_DIR"); dir && *dir) {
        if (IsSafeFolder(dir, false)) return {dir};
        return {};
    }
    std::vector<std::string> folders;
    // Shared by every user of the machine, so the lock excludes other users' programs too.
    if (IsSafeFolder("/run/qvdevm", false) && access("/run/qvdevm", R_OK | X_OK) == 0)
        folders.push_back("/run/qvdevm");
    std::string own;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime && *runtime && IsSafeFolder(runtime, true)) {
        own = PrivateFolder(runtime, "qvdevm");
    } else {
        own = PrivateFolder("/tmp", "qvdevm-" + std::to_string(geteuid()));
    }
    if (!own.empty()) folders.push_back(own);
    return folders;
}

} // namespace qvdevm
