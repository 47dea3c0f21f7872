// Runs the built nux program as a child with its own environment, its output captured in files.
// The time limit is a safety net against a hung program, never a measurement.
#pragma once
#include <string>
#include <vector>

namespace nuxtest {

struct NuxExit {
    bool exited = false; // false: it had to be killed at the safety limit
    int status = -1;     // exit status when it exited
    std::string out;
    std::string err;
};

// One run of the driven panel: environment entries ("NAME=value", added to or replacing this
// process's) and the script it works through.
struct NuxRun {
    std::vector<std::string> env;
    std::string script;
};

class NuxProcess {
  public:
    NuxProcess(std::string program, NuxRun run);
    ~NuxProcess();
    NuxProcess(const NuxProcess&) = delete;
    NuxProcess& operator=(const NuxProcess&) = delete;

    void Start();
    NuxExit Wait(int limitSeconds = 60);
    // Ends a copy that is still running (it would otherwise wait for a hand on Exit).
    NuxExit Stop();
    int Pid() const { return m_pid; }
    std::string Out() const;

  private:
    std::string m_program;
    std::vector<std::string> m_env;
    std::string m_script;
    std::string m_dir;
    int m_pid = -1;
};

// Polls `file` until it contains `text`; false at the safety limit.
bool WaitForText(const std::string& file, const std::string& text, int limitSeconds = 60);
std::string ReadFile(const std::string& path);

} // namespace nuxtest
