// A plain loopback TCP client for the simulator tests: no device library in between.
#pragma once
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

class Client {
public:
    explicit Client(int port) {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(uint16_t(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_ok = connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
        m_errno = errno;
    }
    ~Client() { close(m_fd); }
    bool Ok() const { return m_ok; }
    int Errno() const { return m_errno; }
    void Send(const std::string& s) {
        ASSERT_EQ(send(m_fd, s.data(), s.size(), MSG_NOSIGNAL), ssize_t(s.size()));
    }
    // Sends as much as the peer takes; the count, short when the peer went away.
    size_t SendAll(const std::string& s) {
        size_t done = 0;
        for (ssize_t n = 0; done < s.size() && (n = send(m_fd, s.data() + done, s.size() - done, MSG_NOSIGNAL)) > 0;)
            done += size_t(n);
        return done;
    }
    // Reads until n bytes came, the peer closed, or nothing came for quietMs.
    Bytes Read(size_t n, int quietMs = 1500) {
        Bytes out;
        while (out.size() < n) {
            pollfd p{m_fd, POLLIN, 0};
            if (poll(&p, 1, quietMs) <= 0) break;
            uint8_t buf[4096];
            ssize_t got = recv(m_fd, buf, sizeof buf, 0);
            if (got <= 0) {
                m_closed = true;
                break;
            }
            out.insert(out.end(), buf, buf + got);
            ++m_reads;
        }
        return out;
    }
    bool Closed() const { return m_closed; }
    int Reads() const { return m_reads; }

private:
    int m_fd;
    bool m_ok = false;
    int m_errno = 0;
    bool m_closed = false;
    int m_reads = 0;
};

}  // namespace
