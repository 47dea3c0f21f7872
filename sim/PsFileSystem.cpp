#include "PsFileSystem.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "Printer.h"

namespace tavsim {
namespace {

std::vector<uint8_t> Bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

// A number right-aligned in a field of width characters.
std::string Field(unsigned long long v, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%*llu", width, v);
    return buf;
}

uint64_t KbFor(uint64_t bytes) {
    return (bytes + 1023) / 1024;
}

// One PostScript string literal starting at s[pos] == '('; pos ends after its ')'.
bool ReadPsString(const std::string& s, size_t& pos, std::string& out) {
    if (pos >= s.size() || s[pos] != '(') return false;
    ++pos;
    int depth = 1;
    while (pos < s.size()) {
        char c = s[pos++];
        if (c == '\\') {
            if (pos >= s.size()) return false;
            char e = s[pos++];
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case '\r':
                if (pos < s.size() && s[pos] == '\n') ++pos;
                break;
            case '\n':
                break;
            default:
                if (e >= '0' && e <= '7') {
                    int v = e - '0';
                    for (int k = 0; k < 2 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++k)
                        v = v * 8 + (s[pos++] - '0');
                    out += static_cast<char>(v & 0xFF);
                } else {
                    out += e; // \\, \(, \) and any other character stand for themselves
                }
            }
        } else if (c == '(') {
            ++depth;
            out += c;
        } else if (c == ')') {
            if (--depth == 0) return true;
            out += c;
        } else {
            out += c;
        }
    }
    return false;
}

} // namespace

void PsFileSystem::Load(const IniFile& ini, std::vector<std::string>& warnings) {
    const std::string type = ini.Get("PSFileSystem", "Type", "0");
    m_type = (type.size() == 1 && type[0] >= '0' && type[0] <= '3') ? type[0] - '0' : 0;
    m_vol[1].present = m_type == 1 || m_type == 3;
    m_vol[0].present = m_type == 2 || m_type == 3;
    auto num = [&](const char* key) {
        return std::strtoull(ini.Get("PSFileSystem", key, "0").c_str(), nullptr, 10);
    };
    m_vol[1].totalKb = num("DimmTotalKB");
    m_vol[1].freeKb = num("DimmFreeKB");
    m_vol[0].totalKb = num("HddTotalKB");
    m_vol[0].freeKb = num("HddFreeKB");
    for (const char* key : {"Fonts", "Forms"}) {
        for (const std::string& item : SplitList(ini.Get("PSFileSystem", key))) {
            const size_t blank = item.rfind(' ');
            const std::string path = Trim(item.substr(0, blank == std::string::npos ? item.size() : blank));
            const uint64_t size =
                blank == std::string::npos ? 0 : std::strtoull(item.c_str() + blank + 1, nullptr, 10);
            int v;
            std::string folder, name;
            if (!SplitPath(path, v, folder, name) || !m_vol[v].present) {
                warnings.push_back("PSFileSystem: " + item + " names no volume of this printer");
                continue;
            }
            // The profile's free space already counts these files.
            m_vol[v].folders[folder].push_back({name, size});
        }
    }
}

bool PsFileSystem::SplitPath(const std::string& path, int& volume, std::string& folder,
                             std::string& name) const {
    if (path.rfind("%disk0%", 0) == 0)
        volume = 0;
    else if (path.rfind("%disk1%", 0) == 0)
        volume = 1;
    else
        return false;
    const std::string rest = path.substr(7);
    const size_t slash = rest.find('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 >= rest.size()) return false;
    folder = rest.substr(0, slash);
    name = rest.substr(slash + 1);
    return true;
}

std::vector<uint8_t> PsFileSystem::FileSysReply() const {
    return Bytes("@PJL INQUIRE PSFILESYS\r\n" + std::string(1, char('0' + m_type)) + "\f");
}

std::string PsFileSystem::Listing(int volume, const std::string& folder, const std::string& echo) const {
    std::string text = "@PJL FSPSDIRLIST NAME=\"" + echo + "\"\r\n";
    const Volume& v = m_vol[volume];
    if (v.present) {
        text += ". TYPE=DIR\r\n.. TYPE=DIR\r\n";
        auto it = v.folders.find(folder);
        if (it != v.folders.end())
            for (const File& f : it->second)
                text += f.name + " TYPE=FILE SIZE=" + std::to_string(f.size) + "\r\n";
    } else {
        text += "FILEERROR=3\r\n";
    }
    return text + "\f";
}

size_t PsFileSystem::ListingSize(const std::string& folder) const {
    size_t size = 0;
    for (int v = 0; v < 2; ++v)
        if (m_vol[v].present)
            size = std::max(size, Listing(v, folder, std::to_string(v) + ":/RESOURCE/" + folder).size());
    return size;
}

std::vector<uint8_t> PsFileSystem::InfoReply(const std::string& query, const std::string& folder) const {
    // The printer answers one record whatever the target: the count over both volumes and the
    // size of the longer listing, laid out so either target's offsets read the same numbers.
    size_t count = 0;
    for (const Volume& v : m_vol) {
        auto it = v.folders.find(folder);
        if (v.present && it != v.folders.end()) count += it->second.size();
    }
    return Bytes("@PJL " + query + "\r\nNUM: " + Field(count, 15) + " " + Field(ListingSize(folder), 15) +
                 "\r\n");
}

std::vector<uint8_t> PsFileSystem::SizeReply(int volume) const {
    const std::string echo = volume == 0 ? "@PJL INQUIRE PSHDDSIZE\r\n" : "@PJL INQUIRE PSDIMMSIZE\r\n";
    const Volume& v = m_vol[volume ? 1 : 0];
    if (!v.present) return Bytes(echo + "?\r\n\f");
    return Bytes(echo + Field(v.totalKb, 16) + Field(v.freeKb, 16) + "\f");
}

std::vector<uint8_t> PsFileSystem::DirList(const std::string& name) const {
    // NAME="0:/RESOURCE/fonts"
    std::string arg = name;
    if (arg.size() >= 2 && arg.front() == '"' && arg.back() == '"') arg = arg.substr(1, arg.size() - 2);
    const int volume = arg.rfind("0:", 0) == 0 ? 0 : arg.rfind("1:", 0) == 0 ? 1 : -1;
    const size_t slash = arg.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : arg.substr(slash + 1);
    if (volume < 0 || arg.compare(2, 10, "/RESOURCE/") != 0)
        return Bytes("@PJL FSPSDIRLIST NAME=\"" + arg + "\"\r\nFILEERROR=3\r\n\f");
    std::string text = Listing(volume, folder, arg);
    // Every listing of a folder is as long as the count record said.
    text.resize(std::max(text.size(), ListingSize(folder)), '\0');
    return Bytes(text);
}

bool PsFileSystem::Store(const std::string& path, uint64_t size, std::string& why) {
    int v;
    std::string folder, name;
    if (!SplitPath(path, v, folder, name) || !m_vol[v].present) return why = "no such volume: " + path, false;
    std::string ignored;
    Delete(path, ignored);
    if (KbFor(size) > m_vol[v].freeKb) return why = "volume full, " + path + " not stored", false;
    m_vol[v].freeKb -= KbFor(size);
    m_vol[v].folders[folder].push_back({name, size});
    return true;
}

bool PsFileSystem::Delete(const std::string& path, std::string& why) {
    int v;
    std::string folder, name;
    if (!SplitPath(path, v, folder, name) || !m_vol[v].present) return why = "no such volume: " + path, false;
    auto& files = m_vol[v].folders[folder];
    auto it = std::find_if(files.begin(), files.end(), [&](const File& f) { return f.name == name; });
    if (it == files.end()) return why = "undefinedfilename: " + path, false;
    m_vol[v].freeKb = std::min(m_vol[v].totalKb, m_vol[v].freeKb + KbFor(it->size));
    files.erase(it);
    return true;
}

void PsFileSystem::RunPostScript(const std::string& body, std::vector<std::string>& notes) {
    size_t pos = body.find("%!PS");
    pos = body.find_first_of("\r\n", pos);
    while (pos < body.size() && std::isspace(static_cast<unsigned char>(body[pos])))
        ++pos;
    std::string path;
    if (pos == std::string::npos || !ReadPsString(body, pos, path)) {
        notes.push_back("PostScript: no file name string");
        return;
    }
    const std::string rest = body.substr(pos);
    std::string why;
    size_t p = 0;
    while (p < rest.size() && std::isspace(static_cast<unsigned char>(rest[p])))
        ++p;
    if (rest.compare(p, 10, "deletefile") == 0) {
        notes.push_back(Delete(path, why) ? "deleted " + path : "deletefile: " + why);
        return;
    }
    static const std::string kLoopEnd = "} bind loop";
    const size_t loop = rest.find(kLoopEnd);
    if (rest.compare(p, 37, "dup { deletefile } stopped { pop } if") != 0 ||
        rest.find("(w) file") == std::string::npos || loop == std::string::npos) {
        notes.push_back("PostScript: program not understood");
        return;
    }
    // currentfile reads from just after the newline that ends the program's last token.
    size_t data = loop + kLoopEnd.size();
    if (data < rest.size() && rest[data] == '\r') ++data;
    if (data < rest.size() && rest[data] == '\n') ++data;
    const uint64_t size = rest.size() - data;
    notes.push_back(Store(path, size, why) ? "stored " + path + " (" + std::to_string(size) + " bytes)"
                                           : why);
}

} // namespace tavsim

// The printer's commands that reach the file system.
namespace tavsim {

void Printer::InquirePsFileSys(const PjlLine&, JobResult& r) {
    r.replies.push_back({"INQUIRE PSFILESYS", m_psfs.FileSysReply()});
}
void Printer::InquirePsFntInfo(const PjlLine&, JobResult& r) {
    r.replies.push_back({"INQUIRE PSFNTINFO", m_psfs.InfoReply("INQUIRE PSFNTINFO", "fonts")});
}
void Printer::InquirePsFrmInfo(const PjlLine&, JobResult& r) {
    r.replies.push_back({"INQUIRE PSFRMINFO", m_psfs.InfoReply("INQUIRE PSFRMINFO", "forms")});
}
void Printer::InquirePsHddSize(const PjlLine&, JobResult& r) {
    r.replies.push_back({"INQUIRE PSHDDSIZE", m_psfs.SizeReply(0)});
}
void Printer::InquirePsDimmSize(const PjlLine&, JobResult& r) {
    r.replies.push_back({"INQUIRE PSDIMMSIZE", m_psfs.SizeReply(1)});
}
void Printer::FsPsDirList(const PjlLine& l, JobResult& r) {
    r.replies.push_back({"FSPSDIRLIST", m_psfs.DirList(l.ValueText())});
}

} // namespace tavsim
