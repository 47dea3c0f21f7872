// The one loop that hands a whole job to a file-descriptor transport: a short write goes on
// where it stopped and a signal is not a failure.
#pragma once
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <poll.h>
#include <sys/types.h>

#include "qvdevm/Transport.h"

namespace qvdevm {

// `once` writes what it can and returns what write(2) would. A full device that reports
// EAGAIN is waited on for up to waitMs (-1: as long as it takes) when waitWhenFull is set;
// otherwise EAGAIN is the end (a socket whose own send timeout has run out). Either way a
// device that took nothing for that long has timed out, which leaves the connection as it
// is; any other error has ended it. Returns the bytes written.
template <typename Once>
std::size_t WriteAll(int fd, const std::uint8_t* data, std::size_t length, WriteEnd& end, Once once,
                     bool waitWhenFull, int waitMs) {
    end = WriteEnd::Done;
    std::size_t done = 0;
    while (done < length) {
        const ssize_t n = once(fd, data + done, length - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            if (!waitWhenFull) {
                end = WriteEnd::TimedOut;
                break;
            }
            pollfd p{fd, POLLOUT, 0};
            const int r = poll(&p, 1, waitMs);
            if (r > 0 && !(p.revents & (POLLERR | POLLHUP))) continue;
            if (r < 0 && errno == EINTR) continue;
            if (r == 0) {
                end = WriteEnd::TimedOut;
                break;
            }
        }
        // Nothing taken and no error (n == 0) would loop for ever: the device is gone.
        end = WriteEnd::Failed;
        break;
    }
    return done;
}

} // namespace qvdevm
