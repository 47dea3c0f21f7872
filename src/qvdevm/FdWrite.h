// The one loop that hands a whole job to a file-descriptor transport: a short write goes on
// where it stopped and a signal is not a failure.
#pragma once
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <poll.h>
#include <sys/types.h>

namespace qvdevm {

// `once` writes what it can and returns what write(2) would. A full device that reports
// EAGAIN is waited on for up to waitMs (-1: as long as it takes) when waitWhenFull is set;
// otherwise EAGAIN is the end (a socket whose own send timeout has run out). Returns the bytes
// written; `failed` when fewer than length went out.
template <typename Once>
std::size_t WriteAll(int fd, const std::uint8_t* data, std::size_t length, bool& failed, Once once,
                     bool waitWhenFull, int waitMs) {
    failed = false;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = once(fd, data + done, length - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN && waitWhenFull) {
            pollfd p{fd, POLLOUT, 0};
            const int r = poll(&p, 1, waitMs);
            if (r > 0 && !(p.revents & (POLLERR | POLLHUP))) continue;
            if (r < 0 && errno == EINTR) continue;
        }
        // Nothing taken and no error (n == 0) would loop for ever: the device is gone.
        failed = true;
        break;
    }
    return done;
}

} // namespace qvdevm
