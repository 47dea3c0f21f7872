// Test side of the real device library: its entry points loaded the way the programs load
// them, scripted TCP peers on loopback, and the transfer sequences the programs use.
#pragma once
#include <qvdevm/qvdevm.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qvtest {

// The library loaded once for the test process (it cannot be unloaded anyway).
struct Api {
    DeviceOpenFn open;
    DeviceWriteFn write;
    DeviceReadFn read;
    DeviceCloseFn close;
    GetDeviceIoControlFn control;
    DeviceCheckFn check;
    PortAcquireFn acquire;
    PortReleaseFn release;
    DeviceLastErrorFn lastError;
    PortAcquireForFn acquireFor;
};
const Api& Lib();
std::string LibraryPath();

// The programs' transfers: acquire/release, open, one write or read (a second read when the
// first brings nothing; more than the capacity counts as nothing), close.
uint32_t WritePrinter(const Api& api, const std::string& device, const std::string& data);
std::string ReadPrinter(const Api& api, const std::string& device, uint32_t capacity = 4096);

// One connection as the scripted peer sees it.
struct Peer {
    int fd;
    // Reads until 'marker' has arrived (or the peer ends); returns what came.
    std::string ReadUntil(const std::string& marker, int timeoutMs = 5000);
    bool Send(const std::string& data);
    // Waits for the client's end of the connection: "eof", "reset", "timeout" or "data".
    std::string WaitEnd(int timeoutMs = 5000);
    std::string pending;
};

// A listener on 127.0.0.1 that hands each accepted connection, one at a time like a printer,
// to the script.
class ScriptServer {
  public:
    using Script = std::function<void(Peer&, int connectionIndex)>;
    explicit ScriptServer(Script script);
    ~ScriptServer();
    uint16_t Port() const { return m_port; }
    std::string Name() const { return "tcp://127.0.0.1:" + std::to_string(m_port); }
    int Accepts() const { return m_accepts.load(); }
    // Waits until the script has run for n connections.
    bool WaitDone(int n, int timeoutMs = 10000) const;
    void Note(const std::string& text);
    std::vector<std::string> Notes() const;

  private:
    void Loop();
    Script m_script;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    uint16_t m_port = 0;
    std::atomic<int> m_accepts{0};
    std::atomic<int> m_done{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_notes;
    std::thread m_thread;
};

// A loopback port with nobody listening on it.
uint16_t ClosedPort();

// Runs fn with stderr captured; returns what was written.
std::string CaptureStderr(const std::function<void()>& fn);

void SleepMs(int ms);

// Sets an environment variable for one scope and puts the old value back.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string m_name;
    std::string m_old;
    bool m_had;
};

} // namespace qvtest
