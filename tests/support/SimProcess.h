// Runs the printer simulator as a child process for a test: starts it on a free loopback
// port, reads its event log, and stops it with SIGTERM when the test is done.
#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace tavtest {

struct SimEvent {
    double t = 0;
    std::string event;
    std::vector<uint8_t> bytes;  // from "hex", when the event has one
    std::string raw;             // the whole JSON line
    // The raw text of a top-level field: a string unescaped, a number or list as written; "" when absent.
    std::string Field(const std::string& key) const;
};

class SimProcess {
public:
    // profile: a name from the built profiles folder ("color-ps" or "color-ps.ini") or a path.
    explicit SimProcess(const std::string& profile, const std::vector<std::string>& extraArgs = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    int Port() const { return m_port; }
    std::string DeviceName() const;  // "tcp://127.0.0.1:PORT"
    const std::string& LogPath() const { return m_logPath; }
    std::vector<SimEvent> Events() const;
    std::vector<std::vector<uint8_t>> Jobs() const;  // the bytes of every "job" event, in order
    // Waits until the log holds at least n events (of the given kind when not empty).
    bool WaitForEvents(size_t n, int timeoutMs, const std::string& kind = {}) const;
    // Waits for the simulator to end by itself; its waitpid status, or -1 while it still runs.
    int WaitExit(int timeoutMs);
    // SIGTERM and wait; returns the exit status (as waitpid reports it), -1 when already stopped.
    int Stop();

private:
    pid_t m_pid = -1;
    int m_port = 0;
    std::string m_dir;
    std::string m_logPath;
};

std::vector<SimEvent> ParseSimLog(const std::string& text);
std::vector<uint8_t> FromHex(const std::string& hex);

}  // namespace tavtest
