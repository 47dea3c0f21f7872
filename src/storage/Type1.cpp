#include "storage/Type1.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <algorithm>
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

// Output in text mode: every line break is stored as CR LF. Once the writer has failed, the
// output takes nothing more: the conversion is over and ends with 0.
class Output {
  public:
    explicit Output(const Type1Writer& writer) : m_writer(writer) {}
    void Put(char c) {
        if (c == '\n') Raw('\r');
        Raw(c);
    }
    void LineBreak() { Put('\n'); }
    bool Flush() {
        if (m_ok && m_len > 0) m_ok = m_writer(m_buf, m_len);
        m_len = 0;
        return m_ok;
    }
    bool Ok() const { return m_ok; }

  private:
    void Raw(char c) {
        if (m_len == sizeof m_buf && !Flush()) return;
        if (!m_ok) return;
        m_buf[m_len++] = c;
    }
    const Type1Writer& m_writer;
    char m_buf[8192];
    size_t m_len = 0;
    bool m_ok = true;
};

void CopyPath(const char* path, char* out, size_t capacity) {
    if (capacity == 0) return;
    std::snprintf(out, capacity, "%s", path);
}

// PostScript's white space and delimiters: a name token ends at either.
bool IsPsWhite(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

bool IsPsDelimiter(char c) {
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

size_t SkipWhite(std::string_view text, size_t pos) {
    while (pos < text.size() && IsPsWhite(text[pos]))
        ++pos;
    return pos;
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

int ConvertPfbStream(int sourceFd, uint64_t fileSize, const Type1Writer& writer) {
    Input in(sourceFd);
    Output out(writer);
    static constexpr char kHex[] = "0123456789abcdef";
    bool lastText = true;
    unsigned digits = 0; // hexadecimal digits on the current line; each conversion starts afresh
    uint8_t b;
    bool more = in.Byte(b);
    while (more) {
        if (b != 0x80) return 0;
        uint8_t type;
        if (!in.Byte(type)) return 0;
        int32_t length = 0;
        if (type == 1) {
            if (!lastText) out.LineBreak();
            if (!SegmentLength(in, fileSize, length)) return 0;
            for (int32_t i = 0; i < length && out.Ok(); ++i) {
                uint8_t c;
                if (!in.Byte(c)) return 0;
                out.Put(c == '\r' ? '\n' : static_cast<char>(c));
            }
            lastText = true;
        } else if (type == 2) {
            lastText = false;
            if (!SegmentLength(in, fileSize, length)) return 0;
            for (int32_t i = 0; i < length && out.Ok(); ++i) {
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
        if (!out.Ok()) return 0;
        more = in.Byte(b);
    }
    return out.Flush() ? 1 : 0;
}

int ConvertPfbToPfa(const char* sourcePath, char* outPath, size_t outCapacity, const FmuLog* log) {
    UserFileError openError;
    FdCloser source(OpenRegularFile(sourcePath, openError));
    if (source.Get() < 0) return 0;
    struct stat st {};
    if (::fstat(source.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;

    // Private to this process (mode 0700), so no other user can put a link in its place.
    const std::string folder = PrivateTempFolder();
    const std::string target = folder + kConvertedFontFile;
    if (folder.empty() || target.size() + 1 > outCapacity) return 0;
    if (log) (*log)("[FMU] F-ConvertPfbToPfa / TempPath = %s\n", folder.c_str());
    std::memcpy(outPath, target.c_str(), target.size() + 1);
    if (log) (*log)("[FMU] F-ConvertPfbToPfa / OutPath = %s\n", outPath);

    FdCloser output(::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (output.Get() < 0) return 0;
    const Type1Writer writer = [fd = output.Get()](const char* data, size_t n) {
        size_t done = 0;
        while (done < n) {
            const ssize_t w = ::write(fd, data + done, n - done);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += static_cast<size_t>(w);
        }
        return true;
    };
    if (ConvertPfbStream(source.Get(), static_cast<uint64_t>(st.st_size), writer)) return 1;
    // Half a text form is nobody's font: the caller goes on with the source.
    ::unlink(target.c_str());
    CopyPath(sourcePath, outPath, outCapacity);
    return 0;
}

FontCheck CheckFont(const char* path, const FmuLog* log) {
    const FmuLog quiet;
    const FmuLog& fmu = log ? *log : quiet;
    FontCheck check;
    fmu("[FMU] F-ValidateFont / hFile.pszFontPath() = %s\n", path);
    UserFileError openError;
    FdCloser file(OpenRegularFile(path, openError));
    if (file.Get() < 0) {
        fmu("ValidateFont / Open Error/ %.1024s\n",
            openError == UserFileError::NotRegular ? "not a regular file" : std::strerror(errno));
        return check;
    }
    struct stat st {};
    if (::fstat(file.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        fmu("[FMU] ValidateFont / Read Error\n");
        return check;
    }
    fmu("[FMU] F-ValidateFont / hFile.GetLength() = %lld\n", static_cast<long long>(st.st_size));
    if (static_cast<uint64_t>(st.st_size) > kMaxFontFileBytes) {
        fmu("[FMU] ValidateFont / Too large\n");
        return check;
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
        return check;
    }
    // The font is read as one zero-terminated text.
    std::string_view text(data.data(), data.size());
    text = text.substr(0, text.find('\0'));
    if (text.find("%!PS-AdobeFont") == std::string_view::npos) {
        fmu("[FMU] ValidateFont / NOT Type1 Font (%%!PS-AdobeFont)\n");
        return check;
    }
    const size_t p = text.find("/FontName");
    if (p == std::string_view::npos) {
        fmu("[FMU] ValidateFont / NOT Type1 Font (/FontName) \n");
        return check;
    }
    size_t pos = SkipWhite(text, p + 9);
    if (pos >= text.size() || text[pos] != '/') return check; // a string or a number is no name
    check.type1 = true;
    ++pos;
    // The word up to the next white space tells a path (../../forms/x) from a name.
    size_t wordEnd = pos;
    while (wordEnd < text.size() && !IsPsWhite(text[wordEnd]))
        ++wordEnd;
    size_t tokenEnd = pos;
    while (tokenEnd < text.size() && !IsPsWhite(text[tokenEnd]) && !IsPsDelimiter(text[tokenEnd]))
        ++tokenEnd;
    const std::string_view token = text.substr(pos, tokenEnd - pos);
    if (text.substr(pos, wordEnd - pos).find('/') != std::string_view::npos)
        check.problem = NameProblem::Slash;
    else
        check.problem = CheckStoredName(token, NameUse::Font);
    if (check.problem == NameProblem::None) {
        const size_t d = SkipWhite(text, tokenEnd);
        const bool def = text.substr(d, 3) == "def" &&
                         (d + 3 == text.size() || IsPsWhite(text[d + 3]) || IsPsDelimiter(text[d + 3]));
        if (!def) check.problem = NameProblem::NotOneName;
    }
    if (check.problem != NameProblem::None) {
        fmu("[FMU] ValidateFont / FontName refused: %s\n", TextOf(check.problem).english);
        return check;
    }
    check.name = std::string(token);
    return check;
}

int ValidateFont(const char* path, char* fontName, size_t fontNameCapacity, const FmuLog* log) {
    const FontCheck check = CheckFont(path, log);
    if (!check.Accepted() || fontNameCapacity == 0) return 0;
    const size_t n = std::min(check.name.size(), fontNameCapacity - 1);
    std::memcpy(fontName, check.name.data(), n);
    fontName[n] = '\0';
    return 1;
}

} // namespace tav
