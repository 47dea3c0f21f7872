#include "platform/Platform.h"

#include "platform/Ini.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tav {

std::string ProgramFolder() {
    if (const char* home = std::getenv("WINTAV32_HOME"); home && *home) {
        std::string folder(home);
        if (folder.back() != '/') folder += '/';
        return folder;
    }
    char buf[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string exe(buf, static_cast<size_t>(n));
    size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string("./") : exe.substr(0, slash + 1);
}

void DebugOut(std::string_view text) {
    static std::mutex lock;  // the reader thread of a library may share stderr; keep lines whole
    std::lock_guard<std::mutex> guard(lock);
    const char* file = std::getenv("TAV_DEBUG_FILE");
    if (file && *file) {
        if (FILE* f = std::fopen(file, "ab")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
            return;
        }
    }
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

std::string RuntimeFolder() {
    if (const char* xdg = std::getenv("XDG_RUNTIME_DIR"); xdg && *xdg) {
        struct stat st;
        if (stat(xdg, &st) == 0 && S_ISDIR(st.st_mode)) {
            std::string f(xdg);
            if (f.back() != '/') f += '/';
            return f;
        }
    }
    // No runtime folder: a per-user folder under /tmp that only this user can enter.
    std::string f = "/tmp/tav-runtime-" + std::to_string(getuid());
    if (mkdir(f.c_str(), 0700) != 0 && errno != EEXIST) return "/tmp/";
    struct stat st;
    if (lstat(f.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() || (st.st_mode & 077))
        return "/tmp/";  // someone else's or tampered with: fall back rather than trust it
    return f + "/";
}

std::string SafeFileName(std::string_view name) {
    std::string out;
    for (char c : name) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                  c == '-' || c == '_';
        out += ok ? c : '_';
    }
    if (out.empty() || out[0] == '.') out.insert(out.begin(), '_');
    return out;
}

namespace {

struct TempFolder {
    std::mutex lock;
    std::string path;
    pid_t owner = 0; // a forked child's exit must not take its parent's folder
    bool removalRegistered = false;
};

TempFolder& TheTempFolder() {
    static TempFolder folder;
    return folder;
}

} // namespace

std::string PrivateTempFolder() {
    TempFolder& t = TheTempFolder();
    std::lock_guard<std::mutex> guard(t.lock);
    if (!t.path.empty() && t.owner == getpid()) return t.path;
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/tav-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) return {};
    t.path = std::string(buf.data()) + "/";
    t.owner = getpid();
    if (!t.removalRegistered) t.removalRegistered = std::atexit(RemovePrivateTempFolder) == 0;
    return t.path;
}

void RemovePrivateTempFolder() {
    TempFolder& t = TheTempFolder();
    std::lock_guard<std::mutex> guard(t.lock);
    if (t.path.empty() || t.owner != getpid()) return;
    // Only this process writes there (mode 0700), and only plain files.
    if (DIR* dir = opendir(t.path.c_str())) {
        while (const dirent* e = readdir(dir))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                unlink((t.path + e->d_name).c_str());
        closedir(dir);
    }
    rmdir(t.path.c_str());
    t.path.clear();
}

std::string RegistryFile(RegistryRoot root) {
    if (root == RegistryRoot::LocalMachine) {
        if (const char* f = std::getenv("TAV_REGISTRY_LM"); f && *f) return f;
        return "/etc/xdg/quorvex/registry.ini";
    }
    if (const char* f = std::getenv("TAV_REGISTRY_CU"); f && *f) return f;
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x)
        base = x;
    else if (const char* h = std::getenv("HOME"); h && *h)
        base = std::string(h) + "/.config";
    else
        base = "/tmp";
    return base + "/quorvex/registry.ini";
}

bool RegistryReadString(RegistryRoot root, std::string_view keyPath, std::string_view valueName,
                        std::string& value, size_t maxBytes) {
    IniDocument doc = IniDocument::Load(RegistryFile(root));
    std::string v;
    if (!doc.Find(keyPath, valueName, v)) return false;
    if (maxBytes > 0 && v.size() > maxBytes - 1) v.resize(maxBytes - 1);
    value = v;
    return true;
}

SingleInstance::SingleInstance(std::string_view name) {
    m_path = RuntimeFolder() + SafeFileName(name) + ".lock";
    m_fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_fd < 0) return;  // cannot tell: behave as the only copy rather than refuse to start
    if (flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        m_alreadyExists = (errno == EWOULDBLOCK);
        close(m_fd);
        m_fd = -1;
    }
}

SingleInstance::~SingleInstance() {
    if (m_fd >= 0) close(m_fd);  // the file stays: unlinking would race a starting copy
}

}  // namespace tav
