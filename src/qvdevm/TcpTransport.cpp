#include "qvdevm/TcpTransport.h"
#include "qvdevm/OpenReason.h"

#include "qvdevm/FdWrite.h"
#include "qvdevm/LinkBuffer.h"
#include "qvdevm/PjlStatus.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace qvdevm {

namespace {

// Connects one socket within timeoutMs; on failure returns -1 and names the cause.
int ConnectWithin(const std::string& host, uint16_t port, int timeoutMs, std::string& why) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* list = nullptr;
    const std::string service = std::to_string(port);
    int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &list);
    if (rc != 0) {
        why = std::string(reason::kUnknownHost) + ": " + gai_strerror(rc);
        return -1;
    }
    why = reason::kNoAnswer;
    bool refused = false;
    int result = -1;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (addrinfo* a = list; a && result < 0; a = a->ai_next) {
        int fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK, a->ai_protocol);
        if (fd < 0) continue;
        int err = 0;
        if (connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
            err = errno;
            if (err == EINPROGRESS) {
                pollfd p{fd, POLLOUT, 0};
                for (;;) {
                    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now());
                    int n = poll(&p, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
                    if (n < 0 && errno == EINTR) continue;
                    if (n <= 0) {
                        err = ETIMEDOUT;
                        break;
                    }
                    socklen_t len = sizeof err;
                    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) err = errno;
                    break;
                }
            }
        }
        if (err == 0) {
            result = fd;
            break;
        }
        close(fd);
        if (err == ECONNREFUSED)
            refused = true;
        else if (err != ETIMEDOUT && err != EHOSTUNREACH && err != ENETUNREACH)
            why = std::strerror(err);
    }
    freeaddrinfo(list);
    if (result < 0 && refused) why = reason::kRefused;
    return result;
}

} // namespace

TcpTransport::TcpTransport(std::string host, uint16_t port, const Settings& settings)
    : m_host(std::move(host)), m_port(port), m_settings(settings) {}

TcpTransport::~TcpTransport() {
    Close();
}

std::string TcpTransport::Describe() const {
    return "tcp " + m_host + ":" + std::to_string(m_port);
}

bool TcpTransport::Open(std::string& why) {
    Close();
    int fd = ConnectWithin(m_host, m_port, m_settings.connectTimeoutMs, why);
    if (fd < 0) return false;
    // Blocking from here on: writes wait for the printer, bounded by the send timeout.
    int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    // Nagle stays on: a job is one write and goes out at once, and a file sent in chunks
    // leaves in full segments instead of one per chunk.
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &one, sizeof one);
    if (m_settings.writeTimeoutMs > 0) {
        timeval tv{m_settings.writeTimeoutMs / 1000, (m_settings.writeTimeoutMs % 1000) * 1000};
        setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    }
    if (!m_wake.Open(why)) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

size_t TcpTransport::Write(const uint8_t* data, size_t length, WriteEnd& end) {
    // The socket blocks with its own send timeout, so EAGAIN means that time has run out.
    return WriteAll(
        m_fd, data, length, end,
        [](int fd, const uint8_t* d, size_t n) { return send(fd, d, n, MSG_NOSIGNAL); }, false, 0);
}

bool TcpTransport::PeerHasClosed() {
    // Level-triggered, so the reader thread's own poll on the socket takes nothing from it.
    pollfd p{m_fd, POLLRDHUP, 0};
    return poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR));
}

ReadResult TcpTransport::ReadSome(uint8_t* buffer, size_t capacity, size_t& got) {
    got = 0;
    pollfd p[2] = {{m_fd, POLLIN, 0}, {m_wake.Fd(), POLLIN, 0}};
    int n = poll(p, 2, -1);
    if (n < 0) return errno == EINTR ? ReadResult::Nothing : ReadResult::Ended;
    if (p[1].revents & POLLIN) {
        m_wake.Drain();
        return ReadResult::Nothing;
    }
    if (!(p[0].revents & (POLLIN | POLLHUP | POLLERR))) return ReadResult::Nothing;
    ssize_t r = recv(m_fd, buffer, capacity, MSG_DONTWAIT);
    if (r > 0) {
        got = static_cast<size_t>(r);
        return ReadResult::Data;
    }
    if (r < 0 && (errno == EAGAIN || errno == EINTR)) return ReadResult::Nothing;
    return ReadResult::Ended;
}

ReadResult TcpTransport::ReadNow(uint8_t* buffer, size_t capacity, size_t& got) {
    got = 0;
    const ssize_t r = recv(m_fd, buffer, capacity, MSG_DONTWAIT);
    if (r > 0) {
        got = static_cast<size_t>(r);
        return ReadResult::Data;
    }
    if (r < 0 && (errno == EAGAIN || errno == EINTR)) return ReadResult::Nothing;
    return ReadResult::Ended;
}

bool TcpTransport::CanReadNow() const {
    return m_fd >= 0;
}

void TcpTransport::Interrupt() {
    m_wake.Signal();
}

bool TcpTransport::ShutdownOutput() {
    return m_fd >= 0 && shutdown(m_fd, SHUT_WR) == 0;
}

void TcpTransport::Close() {
    if (m_fd >= 0) close(m_fd);
    m_wake.Close();
    m_fd = -1;
}

void TcpTransport::Abort() {
    // A reset: the printer drops the cut job and takes the next connection.
    if (m_fd >= 0) {
        linger now{1, 0};
        setsockopt(m_fd, SOL_SOCKET, SO_LINGER, &now, sizeof now);
    }
    Close();
}

bool TcpTransport::VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                                uint32_t& returned, LinkBuffer& buffer) {
    // Only the printer-status request has an in-band equivalent on a network printer.
    if (!in || inLength < 1 || in[0] != 2 || !out || outLength < 3) return false;
    const uint64_t mark = buffer.Produced();
    const size_t length = sizeof kInfoStatusJob - 1;
    WriteEnd end = WriteEnd::Done;
    if (Write(reinterpret_cast<const uint8_t*>(kInfoStatusJob), length, end) != length) return false;
    std::string section;
    if (!buffer.TakeSection(mark, kInfoStatusHeader, '\f', m_settings.readTimeoutMs, section)) return false;
    StatusBytes status = ParseInfoStatus(section);
    if (!status.valid) return false;
    std::memcpy(out, status.bytes, 3);
    returned = 3;
    return true;
}

bool ProbeTcp(const std::string& host, uint16_t port, int timeoutMs, std::string& why) {
    int fd = ConnectWithin(host, port, timeoutMs, why);
    if (fd < 0) return false;
    shutdown(fd, SHUT_WR);
    // Read the peer's end so the close is orderly, but never wait long for a probe.
    pollfd p{fd, POLLIN, 0};
    char sink[512];
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    while (std::chrono::steady_clock::now() < deadline && poll(&p, 1, 100) > 0) {
        ssize_t n = recv(fd, sink, sizeof sink, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;
    }
    close(fd);
    return true;
}

} // namespace qvdevm
