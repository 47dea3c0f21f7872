#include "platform/UserFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tav {

int OpenRegularFile(const std::string& path, UserFileError& error) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) {
        error = errno == EACCES ? UserFileError::Unreadable : UserFileError::Missing;
        return -1;
    }
    // A FIFO's open waits for a writer and a device's may act on the device: never open either.
    if (!S_ISREG(st.st_mode)) {
        error = UserFileError::NotRegular;
        return -1;
    }
    // The path may have been swapped since the look: open without waiting, then look again at
    // what was actually opened.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = errno == ENOENT ? UserFileError::Missing : UserFileError::Unreadable;
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        error = UserFileError::NotRegular;
        return -1;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    error = UserFileError::None;
    return fd;
}

RegularFile::~RegularFile() {
    if (m_fd >= 0) ::close(m_fd);
}

std::optional<uint64_t> RegularFile::Size() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return std::nullopt;
    return static_cast<uint64_t>(st.st_size);
}

size_t RegularFile::Read(void* buffer, size_t n) {
    size_t got = 0;
    auto* out = static_cast<char*>(buffer);
    while (m_fd >= 0 && got < n) {
        const ssize_t r = ::read(m_fd, out + got, n - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<size_t>(r);
    }
    return got;
}

bool ReadRegularFile(const std::string& path, std::string& contents, size_t maxBytes, UserFileError& error) {
    contents.clear();
    RegularFile file(path);
    error = file.Error();
    if (!file.IsOpen()) return false;
    const std::optional<uint64_t> size = file.Size();
    if (!size || *size > maxBytes) {
        error = UserFileError::TooLarge;
        return false;
    }
    // The file may grow between the size and the read; one byte past the limit tells.
    contents.resize(static_cast<size_t>(*size) + 1);
    const size_t got = file.Read(contents.data(), contents.size());
    if (got > maxBytes) {
        contents.clear();
        error = UserFileError::TooLarge;
        return false;
    }
    contents.resize(got);
    return true;
}

}  // namespace tav
