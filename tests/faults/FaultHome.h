// What both fault matrices give the program they try: everything it reads or locks kept in the
// row's folder, the real device library there, and read timeouts short enough that a silent
// printer costs little.
#pragma once
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <qvdevm/qvdevm.h>

namespace tavtest {

// dir ends with '/'. A silent printer costs reads of 0.7 s, not of the default 5 s; still longer
// than the late replies' delay.
inline std::map<std::string, std::string> FaultEnv(const std::string& dir) {
    return {{"WINTAV32_HOME", dir},
            {"XDG_RUNTIME_DIR", dir},
            {"QVDEVM_LOCK_DIR", dir},
            {"TAV_REGISTRY_LM", dir + "lm.ini"},
            {"TAV_REGISTRY_CU", dir + "cu.ini"},
            {"TAV_DEBUG_FILE", dir + "debug.txt"},
            {"QVDEVM_READ_TIMEOUT_MS", "700"},
            {"QVDEVM_QUIET_MS", "100"}};
}

// The real library in place of the stand-in the folder was laid out with.
inline void UseRealDeviceLibrary(const std::string& dir) {
    std::filesystem::remove(dir + "libqvdevm.so");
    std::filesystem::create_symlink(QVDEVM_PATH, dir + "libqvdevm.so");
}

inline std::string PortLockPath(const std::string& dir) {
    return dir + "port-" + std::to_string(QVDEVM_PORT_TOKEN) + ".lock";
}

// The port lock taken as another program would hold it: its descriptor, or -1 when it is taken
// already. Closing the descriptor gives it back.
inline int HoldPort(const std::string& dir) {
    const int fd = open(PortLockPath(dir).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// tavsim's options for these faults.
inline std::vector<std::string> FaultOptions(const std::vector<std::string>& faults) {
    std::vector<std::string> args;
    for (const auto& f : faults)
        args.insert(args.end(), {"--fault", f});
    return args;
}

// Nobody holds the port lock of that folder, this process included.
inline bool PortFree(const std::string& dir) {
    const int fd = open(PortLockPath(dir).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    const bool free = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) close(fd);
    return free;
}

} // namespace tavtest
