// The eventfd that lets one thread cut short another's poll on a file-descriptor transport.
#pragma once
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <sys/eventfd.h>
#include <unistd.h>

namespace qvdevm {

class WakeFd {
  public:
    ~WakeFd() { Close(); }
    bool Open(std::string& why) {
        Close();
        m_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (m_fd < 0) why = std::strerror(errno);
        return m_fd >= 0;
    }
    int Fd() const { return m_fd; }
    // The results are ignored on purpose: a counter that cannot be read or bumped only means
    // the next poll runs its normal course.
    void Signal() {
        if (m_fd < 0) return;
        uint64_t one = 1;
        if (write(m_fd, &one, sizeof one) < 0) {
        }
    }
    void Drain() {
        uint64_t v;
        if (read(m_fd, &v, sizeof v) < 0) {
        }
    }
    void Close() {
        if (m_fd >= 0) close(m_fd);
        m_fd = -1;
    }

  private:
    int m_fd = -1;
};

} // namespace qvdevm
