#include "Server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <strings.h>
#include <thread>

namespace tavsim {
namespace {
// The PJL lines of a job without "@PJL ", for aiming faults before the job runs.
std::vector<std::string> JobCommands(const std::vector<uint8_t>& bytes) {
    std::vector<std::string> out;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = pos;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
        std::string line(bytes.begin() + long(pos), bytes.begin() + long(end));
        const size_t at = line.find('@');  // the opening line follows the UEL
        if (at != std::string::npos && line.size() >= at + 4 && strncasecmp(line.c_str() + at, "@PJL", 4) == 0) {
            size_t b = at + 4;
            while (b < line.size() && (line[b] == ' ' || line[b] == '\t')) ++b;
            if (b < line.size()) out.push_back(line.substr(b));
        }
        pos = end + 1;
    }
    return out;
}
}  // namespace

Server::Server(const ServerOptions& opt, Printer& printer, EventLog& log)
    : m_opt(opt), m_printer(printer), m_log(log), m_firmware(opt.firmware) {}

Server::~Server() {
    if (m_listenFd >= 0) close(m_listenFd);
}

int Server::Bind(std::string& error) {
    m_listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) return error = std::string("socket: ") + std::strerror(errno), -1;
    int one = 1;
    setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(uint16_t(m_opt.port));
    if (bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0)
        return error = "bind 127.0.0.1:" + std::to_string(m_opt.port) + ": " + std::strerror(errno), -1;
    // Refusing: the port stays bound (nobody else can take it) but without listen() every
    // connect is answered with a reset, which the client sees as "connection refused".
    // A stalled reader should fill up soon, so a sender's writes block as they would on a
    // printer that stopped taking data; the size is inherited by the accepted connections.
    bool stalls = m_opt.faults.stall;
    m_cuts = m_opt.faults.cutBytes > 0;
    for (const auto& a : m_opt.faults.aimed) {
        stalls |= a.set.stall;
        m_cuts |= a.set.cutBytes > 0;
    }
    // Where a connection is cut, what the sender had handed over beyond the cut must still lie
    // in its own buffer, so that its next writes meet the cut: the window stays small.
    if (stalls || m_cuts) {
        int small = stalls ? 4096 : 65536;
        setsockopt(m_listenFd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    }
    if (!m_opt.faults.refuse && listen(m_listenFd, 16) < 0)
        return error = std::string("listen: ") + std::strerror(errno), -1;
    socklen_t len = sizeof addr;
    getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
    Touch();
    return ntohs(addr.sin_port);
}

void Server::Touch() { m_lastActivity = m_log.Seconds(); }

bool Server::IdleExpired() const {
    return m_opt.exitAfterIdleSec > 0 && m_log.Seconds() - m_lastActivity >= m_opt.exitAfterIdleSec;
}

void Server::Pause(int ms, volatile std::sig_atomic_t& stop) {
    for (int left = ms; left > 0 && !stop; left -= 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, 10)));
}

int Server::Run(volatile std::sig_atomic_t& stop) {
    if (m_opt.faults.refuse) m_log.Write(Event("fault").Str("fault", "refuse"));
    while (!stop && !IdleExpired()) {
        if (m_opt.faults.refuse) {
            Pause(100, stop);
            continue;
        }
        pollfd p{m_listenFd, POLLIN, 0};
        int n = poll(&p, 1, 100);
        m_firmware.Offline(m_log);  // logs the end of a programming time that passed in silence
        if (n <= 0) continue;
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        int fd = accept4(m_listenFd, reinterpret_cast<sockaddr*>(&peer), &len, SOCK_CLOEXEC);
        if (fd < 0) continue;
        char ip[INET_ADDRSTRLEN] = "?";
        inet_ntop(AF_INET, &peer.sin_addr, ip, sizeof ip);
        Serve(fd, std::string(ip) + ":" + std::to_string(ntohs(peer.sin_port)), stop);
    }
    return 0;
}

void Server::Serve(int fd, const std::string& peer, volatile std::sig_atomic_t& stop) {
    ++m_conn;
    m_jobsOnConn = 0;
    m_stalled = false;
    Touch();
    m_log.Write(Event("connect").Int("conn", m_conn).Str("peer", peer));
    if (m_opt.faults.stall) {
        const std::string why = Stall(fd, stop);
        shutdown(fd, SHUT_RDWR);
        close(fd);
        Touch();
        m_log.Write(Event("close").Int("conn", m_conn).Str("reason", why));
        return;
    }
    Framer framer(m_opt.maxHex);
    std::vector<Segment> segs;
    std::vector<uint8_t> buf(65536);
    double lastByte = m_log.Seconds();
    std::string reason;
    while (reason.empty()) {
        if (m_stalled) {
            reason = Stall(fd, stop);
            break;
        }
        if (stop) {
            reason = "shutdown";
            break;
        }
        if (IdleExpired()) {
            reason = "idle";
            break;
        }
        pollfd p{fd, POLLIN, 0};
        int n = poll(&p, 1, 50);
        if (n < 0 && errno != EINTR) {
            reason = std::string("poll: ") + std::strerror(errno);
            break;
        }
        if (n <= 0) {
            m_firmware.Offline(m_log);
            if ((m_log.Seconds() - lastByte) * 1000.0 >= m_opt.dataQuietMs) {
                framer.Quiet(segs);
                if (!Handle(fd, segs, true, stop)) reason = "drop";
            }
            continue;
        }
        ssize_t got = recv(fd, buf.data(), buf.size(), 0);
        if (got == 0) {
            reason = "peer closed";
            break;
        }
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            reason = std::string("recv: ") + std::strerror(errno);
            break;
        }
        lastByte = m_log.Seconds();
        Touch();
        // Fed in pieces where a cut may strike, so it strikes at its very byte.
        for (size_t at = 0; at < size_t(got) && reason.empty();) {
            size_t n = size_t(got) - at;
            if (m_cuts) n = std::min<uint64_t>(n, std::max<uint64_t>(CutStep(framer), 1));
            framer.Feed(buf.data() + at, n, segs);
            at += n;
            if (!Handle(fd, segs, true, stop)) {
                reason = "drop";
            } else if (const Segment* cur = framer.Current(); m_cuts && cur && CutStep(framer) == 0) {
                Event ev("fault");
                ev.Str("fault", "cut").Int("conn", m_conn).Int("bytes", (long long)cur->size);
                if (cur->kind == Segment::Kind::Job) ev.Int("job", m_jobsInRun + 1);
                m_log.Write(ev);
                reason = "cut";
            }
        }
    }
    if (reason != "drop" && !m_stalled) {
        framer.Finish(segs);
        Handle(fd, segs, false, stop);
    }
    shutdown(fd, SHUT_RDWR);
    close(fd);
    Touch();
    m_log.Write(Event("close").Int("conn", m_conn).Str("reason", reason));
}

bool Server::Handle(int fd, std::vector<Segment>& segs, bool connectionOpen, volatile std::sig_atomic_t& stop) {
    for (size_t i = 0; i < segs.size(); ++i) {
        Segment& s = segs[i];
        if (s.kind == Segment::Kind::Data) {
            Event ev("data");
            ev.Int("conn", m_conn).Int("bytes", (long long)s.size).Str("sha256", s.sha256);
            ev.Hex("hex", s.bytes.data(), s.bytes.size());
            if (s.clipped) ev.Bool("clipped", true);
            const bool offline = m_firmware.Offline(m_log);
            if (offline) ev.Bool("offline", true);
            m_log.Write(ev);
            if (!offline && m_firmware.IsImage(s)) m_firmware.Take(s, m_conn, m_log);
            continue;
        }
        const FaultSet fs = m_opt.faults.ForJob(++m_jobsInRun, JobCommands(s.bytes));
        if (connectionOpen && fs.drop) {
            Event ev("job");
            ev.Int("conn", m_conn).Int("bytes", (long long)s.size).Hex("hex", s.bytes.data(), s.bytes.size());
            ev.StrList("cmds", JobCommands(s.bytes)).StrList("notes", {"dropped: fault"});
            m_log.Write(ev);
            m_log.Write(Event("fault").Str("fault", "drop").Int("conn", m_conn).Int("job", m_jobsInRun));
            segs.clear();
            return false;
        }
        // A printer that programs itself runs no job and answers nothing.
        JobResult r;
        if (m_firmware.Offline(m_log))
            r.notes.push_back("offline: programming firmware");
        else
            r = m_printer.RunJob(s.bytes);
        Event ev("job");
        ev.Int("conn", m_conn).Int("bytes", (long long)s.size).Hex("hex", s.bytes.data(), s.bytes.size());
        if (!s.complete) ev.Bool("complete", false);
        if (s.clipped) ev.Bool("clipped", true);
        ev.StrList("cmds", r.commands);
        if (!r.printed.empty()) ev.StrList("printed", r.printed);
        if (!r.notes.empty()) ev.StrList("notes", r.notes);
        m_log.Write(ev);
        if (connectionOpen) {
            for (const auto& reply : r.replies) SendReply(fd, reply, fs, stop);
            if (fs.unasked) {
                m_log.Write(Event("fault").Str("fault", "unasked").Int("conn", m_conn).Int("job", m_jobsInRun));
                SendReply(fd, Reply{"USTATUS DEVICE", UnaskedStatus()}, FaultSet{}, stop);
            }
        }
        ++m_jobsOnConn;
        if (connectionOpen && fs.stall) {
            // The rest of what came stays unread, as it would in a printer that hung.
            m_log.Write(Event("fault").Str("fault", "stall").Int("conn", m_conn).Int("job", m_jobsInRun));
            m_stalled = true;
            segs.clear();
            return true;
        }
        if (connectionOpen && m_opt.faults.dropAfterJobs > 0 && m_jobsOnConn >= m_opt.faults.dropAfterJobs) {
            m_log.Write(Event("fault").Str("fault", "drop-after").Int("conn", m_conn).Int("jobs", m_jobsOnConn));
            segs.clear();
            return false;
        }
    }
    segs.clear();
    return true;
}

uint64_t Server::CutStep(const Framer& framer) const {
    constexpr uint64_t kStep = 256;
    constexpr uint64_t kNoLimit = ~uint64_t(0);
    const Segment* cur = framer.Current();
    if (!cur) return kStep;  // the next job or data run begins in what comes
    uint64_t cut = m_opt.faults.cutBytes;
    if (cur->kind == Segment::Kind::Job) {
        // The PJL lines that aim a fault come first; until they are all in, the job may still
        // turn out to be aimed at.
        constexpr size_t kHead = 4096;
        const size_t head = std::min(cur->bytes.size(), kHead);
        const std::vector<uint8_t> lines(cur->bytes.begin(), cur->bytes.begin() + long(head));
        cut = m_opt.faults.ForJob(m_jobsInRun + 1, JobCommands(lines)).cutBytes;
        if (!cut) return cur->size < kHead ? kStep : kNoLimit;
    }
    if (!cut) return kNoLimit;
    return cur->size >= cut ? 0 : cut - cur->size;
}

std::string Server::Stall(int fd, volatile std::sig_atomic_t& stop) {
    if (m_opt.faults.stall) m_log.Write(Event("fault").Str("fault", "stall").Int("conn", m_conn));
    while (!stop && !IdleExpired()) {
        // Only the peer's going is watched; what it sends stays in the socket unread.
        pollfd p{fd, POLLRDHUP, 0};
        int n = poll(&p, 1, 100);
        m_firmware.Offline(m_log);
        if (n > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR))) return "peer closed";
    }
    return stop ? "shutdown" : "idle";
}

void Server::SendReply(int fd, const Reply& reply, const FaultSet& f, volatile std::sig_atomic_t& stop) {
    if (f.noReply) {
        m_log.Write(Event("fault").Str("fault", "no-reply").Str("cmd", reply.cmd).Int("bytes", (long long)reply.bytes.size()));
        return;
    }
    std::vector<uint8_t> out = reply.bytes;
    if (f.delayMs > 0) {
        m_log.Write(Event("fault").Str("fault", "delay").Str("cmd", reply.cmd).Int("ms", f.delayMs));
        Pause(f.delayMs, stop);
    }
    if (f.truncateBytes >= 0 && size_t(f.truncateBytes) < out.size()) {
        m_log.Write(Event("fault").Str("fault", "truncate").Str("cmd", reply.cmd).Int("bytes", (long long)out.size()).Int("sent", f.truncateBytes));
        out.resize(size_t(f.truncateBytes));
    }
    if (f.garbage) {
        // Every reply its own noise: a parser meets many patterns, never one fixed one.
        const uint32_t seed = f.garbageSeed * 2654435761u + ++m_replies;
        m_log.Write(Event("fault").Str("fault", "garbage").Str("cmd", reply.cmd).Int("seed", seed));
        out = Garble(out, seed);
    }
    size_t piece = f.splitBytes > 0 ? f.splitBytes : std::max<size_t>(out.size(), 1);
    size_t sent = 0;
    int pieces = 0;
    std::string error;
    while (sent < out.size()) {
        if (pieces > 0) Pause(m_opt.splitPauseMs, stop);
        size_t n = std::min(piece, out.size() - sent);
        size_t done = 0;
        while (done < n) {
            ssize_t w = send(fd, out.data() + sent + done, n - done, MSG_NOSIGNAL);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                error = std::strerror(errno);
                break;
            }
            done += size_t(w);
        }
        sent += done;
        ++pieces;
        if (!error.empty()) break;
    }
    if (f.splitBytes > 0 && pieces > 1)
        m_log.Write(Event("fault").Str("fault", "split").Str("cmd", reply.cmd).Int("pieces", pieces));
    Event ev("reply");
    ev.Int("conn", m_conn).Str("cmd", reply.cmd).Int("bytes", (long long)sent).Hex("hex", out.data(), sent);
    if (!error.empty()) ev.Str("error", error);
    m_log.Write(ev);
    Touch();
}

}  // namespace tavsim
