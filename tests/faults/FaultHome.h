// What both fault matrices give the program they try: everything it reads or locks kept in the
// row's folder, the real device library there, and read timeouts short enough that a silent
// printer costs little.
#pragma once
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tavtest {

// dir ends with '/'. A silent printer costs reads of 0.7 s, not of the default 5 s; still longer
// than the late replies' delay. One that stops taking data fails a write after 1 s, not 60.
inline std::map<std::string, std::string> FaultEnv(const std::string& dir) {
    return {{"WINTAV32_HOME", dir},
            {"XDG_RUNTIME_DIR", dir},
            {"QVDEVM_LOCK_DIR", dir},
            {"TAV_REGISTRY_LM", dir + "lm.ini"},
            {"TAV_REGISTRY_CU", dir + "cu.ini"},
            {"TAV_DEBUG_FILE", dir + "debug.txt"},
            {"QVDEVM_READ_TIMEOUT_MS", "700"},
            {"QVDEVM_QUIET_MS", "100"},
            {"QVDEVM_WRITE_TIMEOUT_MS", "1000"}};
}

// The real library in place of the stand-in the folder was laid out with.
inline void UseRealDeviceLibrary(const std::string& dir) {
    std::filesystem::remove(dir + "libqvdevm.so");
    std::filesystem::create_symlink(QVDEVM_PATH, dir + "libqvdevm.so");
}

// tavsim's options for these faults.
inline std::vector<std::string> FaultOptions(const std::vector<std::string>& faults) {
    std::vector<std::string> args;
    for (const auto& f : faults)
        args.insert(args.end(), {"--fault", f});
    return args;
}

} // namespace tavtest
