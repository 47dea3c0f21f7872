#include "qvdevm/CharDevTransport.h"
#include "qvdevm/OpenReason.h"

#include "qvdevm/FdWrite.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace qvdevm {

namespace {
// The usblp driver's port status request (the printer class GET_PORT_STATUS).
constexpr unsigned long kLpGetStatus = 0x060b;
constexpr int kLpSelected = 0x10;
constexpr int kLpNoError = 0x08;
constexpr int kLpPaperOut = 0x20;
} // namespace

CharDevTransport::CharDevTransport(std::string path, const Settings& settings)
    : m_path(std::move(path)), m_settings(settings) {}

CharDevTransport::~CharDevTransport() {
    Close();
}

bool CharDevTransport::Open(std::string& why) {
    Close();
    int fd = open(m_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        const int err = errno;
        why = err == EBUSY                                     ? reason::kBusy
              : err == EACCES || err == EPERM                  ? reason::kPermission
              : err == ENOENT || err == ENODEV || err == ENXIO ? reason::kNoDevice
                                                               : std::strerror(err);
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        why = "not a character device";
        close(fd);
        return false;
    }
    // A serial line or terminal must pass every byte unchanged.
    if (isatty(fd)) {
        termios tio{};
        if (tcgetattr(fd, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(fd, TCSANOW, &tio);
        }
    }
    if (!m_wake.Open(why)) {
        close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

size_t CharDevTransport::Write(const uint8_t* data, size_t length, WriteEnd& end) {
    // The node is non-blocking: a printer not taking data is waited on, but not longer than
    // the write timeout.
    return WriteAll(
        m_fd, data, length, end, [](int fd, const uint8_t* d, size_t n) { return write(fd, d, n); }, true,
        m_settings.writeTimeoutMs > 0 ? m_settings.writeTimeoutMs : -1);
}

ReadResult CharDevTransport::ReadSome(uint8_t* buffer, size_t capacity, size_t& got) {
    got = 0;
    pollfd p[2] = {{m_fd, POLLIN, 0}, {m_wake.Fd(), POLLIN, 0}};
    int n = poll(p, 2, 500);
    if (n < 0) return errno == EINTR ? ReadResult::Nothing : ReadResult::Ended;
    if (p[1].revents & POLLIN) {
        m_wake.Drain();
        return ReadResult::Nothing;
    }
    if (n == 0) return ReadResult::Nothing;
    ssize_t r = read(m_fd, buffer, capacity);
    if (r > 0) {
        got = static_cast<size_t>(r);
        return ReadResult::Data;
    }
    if (r < 0 && (errno == EAGAIN || errno == EINTR)) return ReadResult::Nothing;
    if (r == 0 && !(p[0].revents & (POLLHUP | POLLERR))) {
        // usblp reports "nothing from the printer" this way; do not spin on it.
        poll(nullptr, 0, 50);
        return ReadResult::Nothing;
    }
    return ReadResult::Ended;
}

ReadResult CharDevTransport::ReadNow(uint8_t* buffer, size_t capacity, size_t& got) {
    got = 0;
    const ssize_t r = read(m_fd, buffer, capacity);
    if (r > 0) {
        got = static_cast<size_t>(r);
        return ReadResult::Data;
    }
    // usblp answers "nothing from the printer" with 0; the reader's own poll tells a node gone.
    return ReadResult::Nothing;
}

bool CharDevTransport::CanReadNow() const {
    return m_fd >= 0;
}

void CharDevTransport::Interrupt() {
    m_wake.Signal();
}

void CharDevTransport::Close() {
    if (m_fd >= 0) close(m_fd);
    m_wake.Close();
    m_fd = -1;
}

bool CharDevTransport::VendorStatus(const uint8_t* in, uint32_t inLength, uint8_t* out, uint32_t outLength,
                                    uint32_t& returned, LinkBuffer&) {
    // The usblp driver offers no vendor requests, but its port status answers the same
    // question; a node that is not a usblp node has neither and the request fails.
    if (!in || inLength < 1 || in[0] != 2 || !out || outLength < 3 || m_fd < 0) return false;
    int status = 0;
    if (ioctl(m_fd, kLpGetStatus, &status) != 0) return false;
    const bool ready = (status & kLpNoError) && !(status & kLpPaperOut);
    out[0] = 9;
    out[1] = ready ? 1 : 0;
    out[2] = (status & kLpSelected) ? 1 : 0;
    returned = 3;
    return true;
}

bool CharDeviceExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

} // namespace qvdevm
