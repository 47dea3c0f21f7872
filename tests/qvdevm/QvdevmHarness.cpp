#include "QvdevmHarness.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace qvtest {

std::string LibraryPath() {
    return QVDEVM_LIBRARY;
}

namespace {
std::string g_lockFolder;
void RemoveLockFolder() {
    std::filesystem::remove_all(g_lockFolder);
}
} // namespace

const Api& Lib() {
    static Api api = [] {
        // The port lock is machine-wide; other test processes running at the same time must
        // not make this one's port busy.
        char folder[] = "/tmp/qvdevm-test-XXXXXX";
        if (!mkdtemp(folder)) throw std::runtime_error("cannot make a lock folder");
        g_lockFolder = folder;
        setenv("QVDEVM_LOCK_DIR", folder, 1);
        std::atexit(RemoveLockFolder);
        void* h = dlopen(QVDEVM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!h) throw std::runtime_error(std::string("cannot load the device library: ") + dlerror());
        Api a{};
        a.open = reinterpret_cast<DeviceOpenFn>(dlsym(h, "DeviceOpen"));
        a.write = reinterpret_cast<DeviceWriteFn>(dlsym(h, "DeviceWrite"));
        a.read = reinterpret_cast<DeviceReadFn>(dlsym(h, "DeviceRead"));
        a.close = reinterpret_cast<DeviceCloseFn>(dlsym(h, "DeviceClose"));
        a.control = reinterpret_cast<GetDeviceIoControlFn>(dlsym(h, "GetDeviceIoControl"));
        a.check = reinterpret_cast<DeviceCheckFn>(dlsym(h, "DeviceCheck"));
        a.acquire = reinterpret_cast<PortAcquireFn>(dlsym(h, "PortAcquire"));
        a.release = reinterpret_cast<PortReleaseFn>(dlsym(h, "PortRelease"));
        a.lastError = reinterpret_cast<DeviceLastErrorFn>(dlsym(h, "DeviceLastError"));
        a.acquireFor = reinterpret_cast<PortAcquireForFn>(dlsym(h, "PortAcquireFor"));
        if (!a.open || !a.write || !a.read || !a.close || !a.control || !a.check || !a.acquire ||
            !a.release || !a.lastError || !a.acquireFor) {
            throw std::runtime_error("device library lacks an entry point");
        }
        return a;
    }();
    return api;
}

uint32_t WritePrinter(const Api& api, const std::string& device, const std::string& data) {
    if (!api.acquire(QVDEVM_PORT_TOKEN)) return 0;
    api.release(QVDEVM_PORT_TOKEN);
    if (!api.open(2, 4, 0, 0, device.c_str())) return 0;
    uint32_t count = 0;
    api.write(data.data(), static_cast<uint32_t>(data.size()), &count);
    api.close(4);
    return count;
}

std::string ReadPrinter(const Api& api, const std::string& device, uint32_t capacity) {
    if (!api.acquire(QVDEVM_PORT_TOKEN)) return {};
    api.release(QVDEVM_PORT_TOKEN);
    if (!api.open(2, 4, 0, 0, device.c_str())) return {};
    std::vector<char> buffer(capacity + 16, '\x7f');
    uint32_t count = 0;
    api.read(buffer.data(), capacity, &count);
    if (count == 0) api.read(buffer.data(), capacity, &count);
    if (count > capacity) count = 0;
    api.close(4);
    return std::string(buffer.data(), count);
}

std::string Peer::ReadUntil(const std::string& marker, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (pending.find(marker) == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
        char buf[65536];
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0) break;
        pending.append(buf, static_cast<size_t>(n));
    }
    size_t at = pending.find(marker);
    std::string got;
    if (at == std::string::npos) {
        got.swap(pending);
    } else {
        got = pending.substr(0, at + marker.size());
        pending.erase(0, at + marker.size());
    }
    return got;
}

bool Peer::Send(const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string Peer::WaitEnd(int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return "timeout";
    char buf[256];
    ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n == 0) return "eof";
    if (n < 0) return errno == ECONNRESET ? "reset" : "error";
    pending.append(buf, static_cast<size_t>(n));
    return "data";
}

ScriptServer::ScriptServer(Script script) : m_script(std::move(script)) {
    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(m_listen, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(m_listen, 8) != 0) {
        throw std::runtime_error("cannot listen on loopback");
    }
    socklen_t len = sizeof a;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len);
    m_port = ntohs(a.sin_port);
    if (pipe2(m_wake, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    m_thread = std::thread(&ScriptServer::Loop, this);
}

ScriptServer::~ScriptServer() {
    if (write(m_wake[1], "x", 1) < 0) {
    }
    m_thread.join();
    close(m_listen);
    close(m_wake[0]);
    close(m_wake[1]);
}

void ScriptServer::Loop() {
    for (;;) {
        pollfd p[2] = {{m_listen, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (poll(p, 2, -1) < 0) continue;
        if (p[1].revents) return;
        int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const int index = m_accepts++;
        Peer peer{fd, {}};
        m_script(peer, index);
        close(fd);
        ++m_done;
    }
}

bool ScriptServer::WaitDone(int n, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_done.load() < n) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        SleepMs(10);
    }
    return true;
}

void ScriptServer::Note(const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_notes.push_back(text);
}

std::vector<std::string> ScriptServer::Notes() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_notes;
}

uint16_t ClosedPort() {
    int s = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    close(s); // bound but never listening: connects are refused
    return ntohs(a.sin_port);
}

std::string CaptureStderr(const std::function<void()>& fn) {
    fflush(stderr);
    char path[] = "/tmp/qvdevm-stderr-XXXXXX";
    int tmp = mkstemp(path);
    unlink(path);
    int saved = dup(STDERR_FILENO);
    dup2(tmp, STDERR_FILENO);
    fn();
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    std::string text;
    lseek(tmp, 0, SEEK_SET);
    char buf[4096];
    ssize_t n;
    while ((n = read(tmp, buf, sizeof buf)) > 0)
        text.append(buf, static_cast<size_t>(n));
    close(tmp);
    return text;
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : m_name(name) {
    const char* old = std::getenv(name);
    m_had = old != nullptr;
    if (old) m_old = old;
    setenv(name, value, 1);
}

ScopedEnv::~ScopedEnv() {
    if (m_had)
        setenv(m_name.c_str(), m_old.c_str(), 1);
    else
        unsetenv(m_name.c_str());
}

void SleepMs(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace qvtest
