#include "app/QuitMessage.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "platform/Platform.h"

namespace tav {
namespace {

// The pid a socket name carries, or 0 when the name is not one of ours.
pid_t PidOf(const std::string& fileName) {
    const std::string prefix = std::string(kQuitMessageName) + ".";
    if (fileName.rfind(prefix, 0) != 0 || fileName.size() == prefix.size()) return 0;
    const std::string digits = fileName.substr(prefix.size());
    if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos) return 0;
    return static_cast<pid_t>(std::atol(digits.c_str()));
}

} // namespace

std::string QuitMessagePath() {
    return RuntimeFolder() + kQuitMessageName + "." + std::to_string(getpid());
}

std::vector<std::string> QuitMessagePaths() {
    std::vector<std::string> paths;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(RuntimeFolder(), ec)) {
        if (PidOf(entry.path().filename().string()) > 0 && entry.is_socket(ec)) paths.push_back(entry.path().string());
    }
    return paths;
}

void RemoveStaleQuitMessages() {
    for (const std::string& path : QuitMessagePaths()) {
        const pid_t pid = PidOf(std::filesystem::path(path).filename().string());
        // Only a pid that no longer exists marks a socket as stale; one we may not signal is alive.
        if (pid != getpid() && kill(pid, 0) != 0 && errno == ESRCH) unlink(path.c_str());
    }
}

} // namespace tav
