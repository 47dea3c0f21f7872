#include "platform/IniWrite.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tav {
namespace {

bool Fail(std::string* error, const std::string& why) {
    if (error) *error = why;
    return false;
}

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r'))
        --e;
    return std::string(s.substr(b, e - b));
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool MakeFolders(const std::string& folder) {
    if (folder.empty()) return true;
    struct stat st;
    if (stat(folder.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const size_t slash = folder.find_last_of('/', folder.size() > 1 ? folder.size() - 2 : 0);
    if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash))) return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

} // namespace

bool WriteIniString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value, std::string* error) {
    if (section.empty() || key.empty()) return Fail(error, "empty section or key");
    for (std::string_view part : {section, key, value})
        if (part.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
            return Fail(error, "a line break or NUL cannot be stored in " + path);
    if (section.find(']') != std::string_view::npos || key.find('=') != std::string_view::npos)
        return Fail(error, "a section name with ']' or a key with '=' cannot be stored");

    std::string text;
    {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::ostringstream ss;
            ss << in.rdbuf();
            text = ss.str();
        } else if (errno != ENOENT) {
            return Fail(error, "cannot read " + path + ": " + std::strerror(errno));
        }
    }
    // Keep the file's own line ends.
    const std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) nl = text.size();
        std::string line = text.substr(pos, nl - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        pos = nl + 1;
    }

    const std::string entry = std::string(key) + "=" + std::string(value);
    bool inSection = false, done = false;
    size_t lastOfSection = std::string::npos; // where a new key of the section goes
    for (size_t i = 0; i < lines.size() && !done; ++i) {
        const std::string t = Trim(lines[i]);
        if (!t.empty() && t[0] == '[') {
            const size_t close = t.find(']');
            inSection = close != std::string::npos &&
                        SameName(Trim(std::string_view(t).substr(1, close - 1)), section);
            if (inSection) lastOfSection = i;
            continue;
        }
        if (!inSection) continue;
        if (t.empty()) continue;
        lastOfSection = i;  // a comment within the section belongs to it
        if (t[0] == ';') continue;
        const size_t eq = t.find('=');
        if (eq != std::string::npos && SameName(Trim(std::string_view(t).substr(0, eq)), key)) {
            lines[i] = entry;
            done = true;
        }
    }
    if (!done) {
        if (lastOfSection != std::string::npos) {
            lines.insert(lines.begin() + static_cast<long>(lastOfSection) + 1, entry);
        } else {
            if (!lines.empty() && !Trim(lines.back()).empty()) lines.emplace_back();
            lines.push_back("[" + std::string(section) + "]");
            lines.push_back(entry);
        }
    }
    std::string out;
    for (const std::string& l : lines)
        out += l + eol;

    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (!MakeFolders(folder))
        return Fail(error, "cannot create the folder " + folder + ": " + std::strerror(errno));
    std::string tmpl = path + ".XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0) return Fail(error, "cannot write beside " + path + ": " + std::strerror(errno));
    struct stat st;
    fchmod(fd, stat(path.c_str(), &st) == 0 ? (st.st_mode & 0777) : 0600);
    size_t written = 0;
    while (written < out.size()) {
        const ssize_t n = write(fd, out.data() + written, out.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    const bool ok = written == out.size() && fsync(fd) == 0;
    const int savedErrno = errno;
    close(fd);
    if (!ok || rename(name.data(), path.c_str()) != 0) {
        const int why = ok ? errno : savedErrno;
        unlink(name.data());
        return Fail(error, "cannot write " + path + ": " + std::strerror(why));
    }
    return true;
}

} // namespace tav
