#include "NuxProcess.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace nuxtest {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

namespace {
const std::string kUel = "\x1b%-12345X";
} // namespace

std::string EnterJob() {
    return kUel + "@PJL\r\n@PJL ENGINE NUX_MODE=True\r\n" + kUel;
}

std::string KeyJob(char code) {
    return kUel + "@PJL\r\n@PJL ENGINE NUX_BUTTON=" + code + "\r\n" + kUel;
}

std::string LineOf(const std::vector<uint8_t>& reply, size_t first) {
    std::string line;
    for (size_t i = first; i < first + 16 && i < reply.size() && reply[i] != 0; ++i)
        line += char(reply[i]);
    return line;
}

std::string Printed(const std::vector<uint8_t>& reply) {
    const auto utf8 = [](const std::string& latin1) {
        std::string out;
        for (const unsigned char c : latin1) {
            if (c < 0x80) {
                out += char(c);
            } else {
                out += char(0xC0 | (c >> 6));
                out += char(0x80 | (c & 0x3F));
            }
        }
        return out;
    };
    return "line1=" + utf8(LineOf(reply, 1)) + "\nline2=" + utf8(LineOf(reply, 17)) + "\n";
}

bool WaitForText(const std::string& file, const std::string& text, int limitSeconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    while (std::chrono::steady_clock::now() < end) {
        if (ReadFile(file).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

NuxHome::NuxHome(const std::string& library) {
    char tmpl[] = "/tmp/nuxhome-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
    dir = std::string(tmpl) + "/";
    std::filesystem::create_directory(dir + "home");
    std::filesystem::create_directory(dir + "run");
    std::filesystem::permissions(dir + "run", std::filesystem::perms::owner_all);
    std::filesystem::create_symlink(library, dir + "home/libqvdevm.so");
}

NuxHome::~NuxHome() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

void NuxHome::Configure(const std::string& deviceName, int debug) const {
    std::ofstream(dir + "home/comtav.ini") << "[DEVICE]\r\nVID=0x04e8\r\nPID=0x3f0c\r\nDID=" << deviceName
                                           << "\r\n[DEBUG]\r\nDEBUG=" << debug << "\r\n";
}

void NuxHome::WriteScript(const std::string& name, const std::string& text) const {
    std::ofstream(dir + name + ".txt") << text;
}

NuxRun NuxHome::Run(const std::string& name, const std::string& log) const {
    return {{"WINTAV32_HOME=" + dir + "home", "XDG_RUNTIME_DIR=" + dir + "run", "QVDEVM_LOCK_DIR=" + dir,
             "QT_QPA_PLATFORM=offscreen", "TAV_DEBUG_FILE=" + dir + log,
             "QVDEVM_READ_TIMEOUT_MS=" + std::to_string(kReadTimeoutMs),
             "QVDEVM_QUIET_MS=" + std::to_string(kQuietMs)},
            dir + name + ".txt"};
}

NuxProcess::NuxProcess(std::string program, NuxRun run)
    : m_program(std::move(program)), m_env(std::move(run.env)), m_script(std::move(run.script)) {
    char tmpl[] = "/tmp/nuxproc-XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp");
    m_dir = tmpl;
}

NuxProcess::~NuxProcess() {
    if (m_pid > 0) Stop();
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

void NuxProcess::Start() {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const std::string& mine : m_env)
            replaced |= mine.compare(0, name.size() + 1, name + "=") == 0;
        if (!replaced) env.push_back(entry);
    }
    env.insert(env.end(), m_env.begin(), m_env.end());
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string out = m_dir + "/out", err = m_dir + "/err";

    m_pid = fork();
    if (m_pid < 0) throw std::runtime_error("fork");
    if (m_pid == 0) {
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (o < 0 || e < 0) _exit(126);
        dup2(o, 1);
        dup2(e, 2);
        std::string flag = "--script";
        char* argv[] = {m_program.data(), flag.data(), m_script.data(), nullptr};
        execve(m_program.c_str(), argv, envp.data());
        _exit(127);
    }
}

NuxExit NuxProcess::Wait(int limitSeconds) {
    NuxExit result;
    if (m_pid <= 0) return result;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    int status = 0;
    for (;;) {
        const pid_t r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            result.exited = WIFEXITED(status);
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            break;
        }
        if (std::chrono::steady_clock::now() >= end) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    m_pid = -1;
    result.out = ReadFile(m_dir + "/out");
    result.err = ReadFile(m_dir + "/err");
    return result;
}

NuxExit NuxProcess::Stop() {
    if (m_pid > 0) kill(m_pid, SIGTERM);
    return Wait(30);
}

std::string NuxProcess::Out() const {
    return ReadFile(m_dir + "/out");
}

} // namespace nuxtest
