#include "storage/Type1.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Platform.h"
#include "platform/UserFile.h"
#include "storage/FmuLog.h"

namespace tav {
namespace {

class FdCloser {
  public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;
    int Get() const { return m_fd; }

  private:
    int m_fd;
};

// Buffered input of a whole file: the conversion reads byte by byte.
class Input {
  public:
    explicit Input(int fd) : m_fd(fd) {}
    // false at the end of the input or on a read error.
    bool Byte(uint8_t& b) {
        if (m_pos == m_len && !Fill()) return false;
        b = m_buf[m_pos++];
        return true;
    }
    bool Bytes(uint8_t* out, size_t n) {
        for (size_t i = 0; i < n; ++i)
            if (!Byte(out[i])) return false;
        return true;
    }
    uint64_t Consumed() const { return m_consumed - (m_len - m_pos); }

  private:
    bool Fill() {
        ssize_t n;
        do
            n = ::read(m_fd, m_buf, sizeof m_buf);
        while (n < 0 && errno == EINTR);
        if (n <= 0) return false;
        m_len = static_cast<size_t>(n);
        m_pos = 0;
        m_consumed += m_len;
        return true;
    }
    int m_fd;
    uint8_t m_buf[4096];
    size_t m_len = 0;
    size_t m_pos = 0;
    uint64_t m_consumed = 0;
};

// Output in text mode: every line break is stored as CR LF.
class Output {
  public:
    explicit Output(int fd) : m_fd(fd) {}
    void Put(char c) {
        if (c == '\n') Raw('\r');
        Raw(c);
    }
    void LineBreak() { Put('\n'); }
    bool Flush() {
        size_t done = 0;
        while (done < m_len) {
            ssize_t n = ::write(m_fd, m_buf + done, m_len - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return m_ok = false;
            done += static_cast<size_t>(n);
        }
        m_len = 0;
        return m_ok;
    }
    bool Ok() const { return m_ok; }

  private:
    void Raw(char c) {
        if (m_len == sizeof m_buf) Flush();
        m_buf[m_len++] = c;
    }
    int m_fd;
    char m_buf[8192];
    size_t m_len = 0;
    bool m_ok = true;
};

void CopyPath(const char* path, char* out, size_t capacity) {
    if (capacity == 0) return;
    std::snprintf(out, capacity, "%s", path);
}

int32_t LittleEndian32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}

// The next segment's length, refused when negative or longer than what is left of the file.
bool SegmentLength(Input& in, uint64_t fileSize, int32_t& length) {
    uint8_t b[4];
    if (!in.Bytes(b, 4)) return false;
    length = LittleEndian32(b);
    return length >= 0 && static_cast<uint64_t>(length) <= fileSize - in.Consumed();
}

} // namespace

int ConvertPfbToPfa(const char* sourcePath, char* outPath, size_t outCapacity, const FmuLog* log) {
    UserFileError openError;
    FdCloser source(OpenRegularFile(sourcePath, openError));
    if (source.Get() < 0) return 0;
    struct stat st {};
    if (::fstat(source.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
    const uint64_t fileSize = static_cast<uint64_t>(st.st_size);

    // Private to this process (mode 0700), so no other user can put a link in its place.
    const std::string folder = PrivateTempFolder();
    const std::string target = folder + kConvertedFontFile;
    if (folder.empty() || target.size() + 1 > outCapacity) return 0;
    if (log) (*log)("[FMU] F-ConvertPfbToPfa / TempPath = %s\n", folder.c_str());
    std::memcpy(outPath, target.c_str(), target.size() + 1);
    if (log) (*log)("[FMU] F-ConvertPfbToPfa / OutPath = %s\n", outPath);

    FdCloser output(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (output.Get() < 0) return 0;

    Input in(source.Get());
    Output out(output.Get());
    static constexpr char kHex[] = "0123456789abcdef";
    bool lastText = true;
    unsigned digits = 0; // hexadecimal digits on the current line; each conversion starts afresh
    uint8_t b;
    bool more = in.Byte(b);
    while (more) {
        if (b != 0x80) {
            CopyPath(sourcePath, outPath, outCapacity);
            return 0;
        }
        uint8_t type;
        if (!in.Byte(type)) return 0;
        int32_t length = 0;
        if (type == 1) {
            if (!lastText) out.LineBreak();
            if (!SegmentLength(in, fileSize, length)) return 0;
            for (int32_t i = 0; i < length; ++i) {
                uint8_t c;
                if (!in.Byte(c)) return 0;
                out.Put(c == '\r' ? '\n' : static_cast<char>(c));
            }
            lastText = true;
        } else if (type == 2) {
            lastText = false;
            if (!SegmentLength(in, fileSize, length)) return 0;
            for (int32_t i = 0; i < length; ++i) {
                uint8_t c;
                if (!in.Byte(c)) return 0;
                if (digits >= 64) {
                    out.LineBreak();
                    digits = 0;
                }
                out.Put(kHex[c >> 4]);
                out.Put(kHex[c & 0x0F]);
                digits += 2;
            }
        } else if (type != 3) {
            return 0;
        }
        more = in.Byte(b);
    }
    return out.Flush() ? 1 : 0;
}

int ValidateFont(const char* path, char* fontName, size_t fontNameCapacity, const FmuLog* log) {
    const FmuLog quiet;
    const FmuLog& fmu = log ? *log : quiet;
    fmu("[FMU] F-ValidateFont / hFile.pszFontPath() = %s\n", path);
    UserFileError openError;
    FdCloser file(OpenRegularFile(path, openError));
    if (file.Get() < 0) {
        fmu("ValidateFont / Open Error/ %.1024s\n",
            openError == UserFileError::NotRegular ? "not a regular file" : std::strerror(errno));
        return 0;
    }
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        fmu("[FMU] ValidateFont / Read Error\n");
        return 0;
    }
    fmu("[FMU] F-ValidateFont / hFile.GetLength() = %lld\n", static_cast<long long>(st.st_size));
    if (static_cast<uint64_t>(st.st_size) > kMaxFontFileBytes) {
        fmu("[FMU] ValidateFont / Too large\n");
        return 0;
    }
    std::vector<char> data(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < data.size()) {
        ssize_t n = ::read(file.Get(), data.data() + got, data.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<size_t>(n);
    }
    if (got < data.size()) {
        fmu("[FMU] ValidateFont / Read Error\n");
        return 0;
    }
    // The font is read as one zero-terminated text.
    std::string_view text(data.data(), data.size());
    text = text.substr(0, text.find('\0'));
    if (text.find("%!PS-AdobeFont") == std::string_view::npos) {
        fmu("[FMU] ValidateFont / NOT Type1 Font (%%!PS-AdobeFont)\n");
        return 0;
    }
    const size_t p = text.find("/FontName");
    if (p == std::string_view::npos) {
        fmu("[FMU] ValidateFont / NOT Type1 Font (/FontName) \n");
        return 0;
    }
    const size_t start = p + 9;
    const size_t d = text.find("def", start);
    std::string_view name = d == std::string_view::npos ? std::string_view() : text.substr(start, d - start);
    auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!name.empty() && blank(name.front()))
        name.remove_prefix(1);
    while (!name.empty() && blank(name.back()))
        name.remove_suffix(1);
    if (name.empty() || name.front() != '/' || fontNameCapacity == 0) return 0;
    name.remove_prefix(1);
    const size_t n = std::min(name.size(), fontNameCapacity - 1);
    std::memcpy(fontName, name.data(), n);
    fontName[n] = '\0';
    return 1;
}

} // namespace tav
