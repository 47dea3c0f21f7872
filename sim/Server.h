// The loopback TCP side: one connection at a time, like a printer's raw port.
#pragma once
#include <csignal>
#include <string>
#include <vector>

#include "EventLog.h"
#include "Faults.h"
#include "Firmware.h"
#include "Framer.h"
#include "Printer.h"

namespace tavsim {

struct ServerOptions {
    int port = 0;
    Faults faults;
    double exitAfterIdleSec = 0;  // 0: run until SIGTERM
    int dataQuietMs = 2000;       // a data run ends after this long without bytes
    size_t maxHex = 1 << 20;      // data bytes kept for the log's "hex"
    int splitPauseMs = 20;
    FirmwareModel firmware;
};

class Server {
public:
    Server(const ServerOptions& opt, Printer& printer, EventLog& log);
    ~Server();
    // Binds (and listens unless refusing); the chosen port, or -1 with error set.
    int Bind(std::string& error);
    // Serves until stop is set or the idle time runs out; returns the exit code.
    int Run(volatile std::sig_atomic_t& stop);

private:
    void Serve(int fd, const std::string& peer, volatile std::sig_atomic_t& stop);
    // false when the connection is to be dropped
    bool Handle(int fd, std::vector<Segment>& segs, bool connectionOpen, volatile std::sig_atomic_t& stop);
    void SendReply(int fd, const Reply& reply, const FaultSet& f, volatile std::sig_atomic_t& stop);
    // Holds an accepted connection without reading it until the peer goes or the run ends.
    std::string Stall(int fd, volatile std::sig_atomic_t& stop);
    // How many bytes may be fed before the cut must be looked at again: the room the job or
    // data run being received has left before its cut (0: the cut is due), a small step while
    // it is not known yet whether one applies, and no limit when none does.
    uint64_t CutStep(const Framer& framer) const;
    bool IdleExpired() const;
    void Touch();
    void Pause(int ms, volatile std::sig_atomic_t& stop);

    ServerOptions m_opt;
    Printer& m_printer;
    EventLog& m_log;
    int m_listenFd = -1;
    int m_conn = 0;
    int m_jobsOnConn = 0;
    int m_jobsInRun = 0;  // what "jobN:" counts
    bool m_stalled = false;
    bool m_cuts = false;     // some fault of the run cuts connections
    uint32_t m_replies = 0;  // replies of the run, so each one's noise differs
    double m_lastActivity = 0;
    FirmwareUnit m_firmware;
};

}  // namespace tavsim
