#include "SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace tavtest {
namespace {

// The device library's port lock is machine-wide by design; tests that run side by side (ctest
// -j) would find each other's printer port busy. Each test process that talks to a simulator
// gets a lock folder of its own, which the programs it starts inherit; a test that sets
// QVDEVM_LOCK_DIR itself keeps its own.
struct PrivatePortLock {
    PrivatePortLock() {
        if (const char* set = std::getenv("QVDEVM_LOCK_DIR"); set && *set) return;
        char tmpl[] = "/tmp/tavlock-XXXXXX";
        if (!mkdtemp(tmpl)) return;
        folder = tmpl;
        owner = getpid();
        setenv("QVDEVM_LOCK_DIR", tmpl, 1);
    }
    ~PrivatePortLock() {
        std::error_code ec;
        // A forked child that exits must not take the folder from its parent.
        if (!folder.empty() && getpid() == owner) std::filesystem::remove_all(folder, ec);
    }
    std::string folder;
    pid_t owner = 0;
} const kPrivatePortLock;

// Finds the value that starts after "key": at the top level of a flat JSON object.
size_t FindValue(const std::string& line, const std::string& key) {
    std::string pat = "\"" + key + "\":";
    size_t p = 0;
    bool inString = false;
    for (size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
            continue;
        }
        if (c == '"') {
            if (line.compare(i, pat.size(), pat) == 0) return i + pat.size();
            inString = true;
        }
    }
    (void)p;
    return std::string::npos;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> out;
    auto val = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        int hi = val(hex[i]), lo = val(hex[i + 1]);
        if (hi < 0 || lo < 0) throw std::runtime_error("bad hex in simulator log");
        out.push_back(uint8_t(hi << 4 | lo));
    }
    return out;
}

std::string SimEvent::Field(const std::string& key) const {
    size_t p = FindValue(raw, key);
    if (p == std::string::npos) return {};
    if (raw[p] == '"') {
        std::string out;
        for (size_t i = p + 1; i < raw.size() && raw[i] != '"'; ++i) {
            if (raw[i] != '\\' || i + 1 >= raw.size()) {
                out += raw[i];
                continue;
            }
            char e = raw[++i];
            switch (e) {
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'u':
                    if (i + 4 < raw.size()) {
                        out += char(std::strtol(raw.substr(i + 1, 4).c_str(), nullptr, 16));
                        i += 4;
                    }
                    break;
                default: out += e;
            }
        }
        return out;
    }
    size_t end = p;
    int depth = 0;
    bool inString = false;
    for (; end < raw.size(); ++end) {
        char c = raw[end];
        if (inString) {
            if (c == '\\') ++end;
            else if (c == '"') inString = false;
            continue;
        }
        if (c == '"') inString = true;
        else if (c == '[' || c == '{') ++depth;
        else if (c == ']' || c == '}') {
            if (depth == 0) break;
            --depth;
        } else if (c == ',' && depth == 0) break;
    }
    return raw.substr(p, end - p);
}

std::vector<SimEvent> ParseSimLog(const std::string& text) {
    std::vector<SimEvent> events;
    size_t pos = 0;
    while (true) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) break;  // a line still being written is not taken
        SimEvent ev;
        ev.raw = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (ev.raw.empty()) continue;
        ev.t = std::strtod(ev.Field("t").c_str(), nullptr);
        ev.event = ev.Field("event");
        ev.bytes = FromHex(ev.Field("hex"));
        events.push_back(std::move(ev));
    }
    return events;
}

SimProcess::SimProcess(const std::string& profile, const std::vector<std::string>& extraArgs) {
    std::string path = profile;
    if (profile.find('/') == std::string::npos) {
        path = std::string(TAVSIM_PROFILES) + "/" + profile;
        if (path.size() < 4 || path.compare(path.size() - 4, 4, ".ini") != 0) path += ".ini";
    }
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/tavsim-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    m_dir = buf.data();
    m_logPath = m_dir + "/events.jsonl";

    std::vector<std::string> args = {TAVSIM_EXE, "--profile", path, "--port", "0", "--log", m_logPath,
                                     "--exit-after-idle", "600"};
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    auto fail = [this](const std::string& why) {
        Stop();
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
        throw std::runtime_error(why);
    };
    int out[2];
    if (pipe2(out, O_CLOEXEC) < 0) fail("pipe failed");
    m_pid = fork();
    if (m_pid < 0) fail("fork failed");
    if (m_pid == 0) {
        dup2(out[1], 1);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char c[256];
        ssize_t n = read(out[0], c, sizeof c);
        if (n <= 0) break;
        line.append(c, size_t(n));
    }
    close(out[0]);
    const std::string prefix = "listening on 127.0.0.1:";
    if (line.compare(0, prefix.size(), prefix) != 0)
        fail("tavsim did not start (" + path + "): first line \"" + line + "\"");
    m_port = std::atoi(line.c_str() + prefix.size());
}

SimProcess::~SimProcess() {
    Stop();
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::string SimProcess::DeviceName() const { return "tcp://127.0.0.1:" + std::to_string(m_port); }

std::vector<SimEvent> SimProcess::Events() const { return ParseSimLog(ReadFile(m_logPath)); }

std::vector<std::vector<uint8_t>> SimProcess::Jobs() const {
    std::vector<std::vector<uint8_t>> jobs;
    for (auto& ev : Events())
        if (ev.event == "job") jobs.push_back(ev.bytes);
    return jobs;
}

bool SimProcess::WaitForEvents(size_t n, int timeoutMs, const std::string& kind) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
        size_t count = 0;
        for (auto& ev : Events())
            if (kind.empty() || ev.event == kind) ++count;
        if (count >= n) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

int SimProcess::WaitExit(int timeoutMs) {
    if (m_pid <= 0) return -1;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
    return status;
}

int SimProcess::Stop() {
    if (m_pid <= 0) return -1;
    kill(m_pid, SIGTERM);
    int status = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    m_pid = -1;
    return status;
}

}  // namespace tavtest
