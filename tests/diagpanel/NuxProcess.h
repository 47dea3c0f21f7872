// Runs the built nux program as a child with its own environment, its output captured in files.
// The time limit is a safety net against a hung program, never a measurement.
#pragma once
#include <cstddef>
#include <cstdint>
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

// The device library's read timeouts in every run of NuxHome: long enough for a healthy reply,
// short enough that a silent printer costs little.
inline constexpr int kReadTimeoutMs = 700; // the first byte of a reply
inline constexpr int kQuietMs = 100;       // a pause this long ends a reply

// A program folder with the real device library linked in, and a runtime folder, for runs of
// the panel against the simulator; removed with everything in it when the object goes.
class NuxHome {
  public:
    explicit NuxHome(const std::string& library);
    ~NuxHome();
    NuxHome(const NuxHome&) = delete;
    NuxHome& operator=(const NuxHome&) = delete;

    // comtav.ini naming the printer, with the debug switch as given.
    void Configure(const std::string& deviceName, int debug = 0) const;
    void WriteScript(const std::string& name, const std::string& text) const;
    // A run of the script `name` with its debug output in `log`, both in this folder.
    NuxRun Run(const std::string& name, const std::string& log) const;

    std::string dir; // ends in '/'; the lock folder too
};

// The panel's jobs as the printer receives them, written out here rather than built by the
// program's own code.
std::string EnterJob();
std::string KeyJob(char code);
// A display line as the printer sent it: 16 bytes from `first`, ended early by a zero byte.
std::string LineOf(const std::vector<uint8_t>& reply, size_t first);
// What the script's "print" writes once the window shows `reply`: its two lines, the bytes
// taken as Latin-1 as the window takes them, written out in UTF-8.
std::string Printed(const std::vector<uint8_t>& reply);

// Polls `file` until it contains `text`; false at the safety limit.
bool WaitForText(const std::string& file, const std::string& text, int limitSeconds = 60);
std::string ReadFile(const std::string& path);

} // namespace nuxtest
