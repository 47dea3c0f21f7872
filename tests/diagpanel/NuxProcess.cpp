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

bool WaitForText(const std::string& file, const std::string& text, int limitSeconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    while (std::chrono::steady_clock::now() < end) {
        if (ReadFile(file).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
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
