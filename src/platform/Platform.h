// What the programs need from the operating system, kept free of any toolkit.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tav {

// Folder of the running program with a trailing '/'. WINTAV32_HOME overrides it (tests and
// portable installs); otherwise the folder of /proc/self/exe.
std::string ProgramFolder();

// Debug output: stderr, or the file named by TAV_DEBUG_FILE (appended). Text is written as is,
// never used as a format.
void DebugOut(std::string_view text);

// A private temporary folder (mode 0700) for this process, created on first use; "" if it cannot be.
// It goes, with what it holds, when the process that made it exits.
std::string PrivateTempFolder();
// Removes it now (a program that ends with _exit, which runs no exit handlers); the next use
// makes a new one.
void RemovePrivateTempFolder();

// The stand-in for the two registry roots: INI files whose sections are key paths and whose keys
// are value names. Local machine: $TAV_REGISTRY_LM, else /etc/xdg/quorvex/registry.ini. Current
// user: $TAV_REGISTRY_CU, else $XDG_CONFIG_HOME (or ~/.config)/quorvex/registry.ini.
enum class RegistryRoot { LocalMachine, CurrentUser };
std::string RegistryFile(RegistryRoot root);
// false when the key or value does not exist; value cut to maxBytes - 1.
bool RegistryReadString(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                        std::string& value, size_t maxBytes = 260);

// Named single-instance lock: an flock on a file named after the name in the user's runtime folder.
// It is held until the object dies (or the process ends); a dead holder frees it.
class SingleInstance {
public:
    explicit SingleInstance(std::string_view name);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;
    // True when another process holds the name.
    bool AlreadyExists() const { return m_alreadyExists; }
    const std::string& LockPath() const { return m_path; }

private:
    int m_fd = -1;
    bool m_alreadyExists = false;
    std::string m_path;
};

// The user's runtime folder ($XDG_RUNTIME_DIR, else a private folder under /tmp), with a trailing '/'.
std::string RuntimeFolder();

// A name made safe for use as a file name (everything outside [A-Za-z0-9._-] becomes '_').
std::string SafeFileName(std::string_view name);

}  // namespace tav
