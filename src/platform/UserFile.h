// Opening a file that a user, a profile or a package named. Such a path may name a FIFO or a
// device node, whose open blocks or has side effects, or change between the check and the
// open; only a regular file is ever read, and no open ever waits.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tav {

// Why a file could not be opened, for the caller's message.
enum class UserFileError { None, Missing, NotRegular, Unreadable, TooLarge };

// A read-only descriptor of the regular file at path (blocking reads, close-on-exec), or -1
// with the reason in 'error'. The caller closes it.
int OpenRegularFile(const std::string& path, UserFileError& error);

// Closes the descriptor on every path out.
class RegularFile {
public:
    explicit RegularFile(const std::string& path) : m_fd(OpenRegularFile(path, m_error)) {}
    ~RegularFile();
    RegularFile(const RegularFile&) = delete;
    RegularFile& operator=(const RegularFile&) = delete;
    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    UserFileError Error() const { return m_error; }
    // The size now, from the open descriptor (not from a second look at the path).
    std::optional<uint64_t> Size() const;
    // Reads up to n bytes, going on after short reads until n or the end; the count read.
    size_t Read(void* buffer, size_t n);

private:
    UserFileError m_error = UserFileError::None;
    int m_fd;
};

// The whole regular file, refused past maxBytes.
bool ReadRegularFile(const std::string& path, std::string& contents, size_t maxBytes, UserFileError& error);

}  // namespace tav
