#include "RunProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace tavtest {

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

ProgramResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::map<std::string, std::string>& env, const std::string& scratchDir) {
    std::map<std::string, std::string> all;
    for (char** e = environ; *e; ++e) {
        const char* eq = std::strchr(*e, '=');
        if (eq) all[std::string(*e, static_cast<size_t>(eq - *e))] = eq + 1;
    }
    for (const auto& [k, v] : env) all[k] = v;
    if (env.count("TAV_TEST_WAIT_LOG") == 0) {
        all["TAV_TEST_WAIT_LOG"] = scratchDir + "child.waits";
        std::ofstream(scratchDir + "child.waits", std::ios::trunc);
    }
    std::vector<std::string> envText;
    for (const auto& [k, v] : all) envText.push_back(k + "=" + v);
    std::vector<char*> envp, argv;
    for (auto& s : envText) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string prog = program;
    argv.push_back(prog.data());
    std::vector<std::string> argCopy = args;
    for (auto& a : argCopy) argv.push_back(a.data());
    argv.push_back(nullptr);

    const std::string outPath = scratchDir + "child.out", errPath = scratchDir + "child.err";
    ProgramResult r;
    const pid_t pid = fork();
    if (pid == 0) {
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0) _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        execve(prog.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    if (pid < 0) return r;
    int wstatus = 0;
    if (waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus)) r.status = WEXITSTATUS(wstatus);
    r.out = ReadFileText(outPath);
    r.err = ReadFileText(errPath);
    std::istringstream waits(ReadFileText(all["TAV_TEST_WAIT_LOG"]));
    for (unsigned ms; waits >> ms;) r.waits.push_back(ms);
    return r;
}

unsigned ProgramResult::TotalWaitMs() const {
    unsigned total = 0;
    for (unsigned ms : waits) total += ms;
    return total;
}

}  // namespace tavtest
