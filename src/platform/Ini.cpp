#include "platform/Ini.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/UserFile.h"

namespace tav {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

std::string_view StripQuotes(std::string_view v) {
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        return v.substr(1, v.size() - 2);
    return v;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
    // A folder (an empty file name in langinfo.ini names the program folder itself) is no file.
    UserFileError error;
    return ReadRegularFile(path, out, kMaxIniFileBytes, error);
}

// Walks the text line by line and calls onEntry(sectionLower, keyLower, value) for each
// key line; stops early when it returns true.
template <typename F>
void Walk(std::string_view text, F&& onEntry, std::vector<std::string>* sections = nullptr) {
    if (text.size() >= 3 && static_cast<unsigned char>(text[0]) == 0xEF &&
        static_cast<unsigned char>(text[1]) == 0xBB && static_cast<unsigned char>(text[2]) == 0xBF)
        text.remove_prefix(3);
    std::string section;
    std::vector<std::string> seen;
    bool inSection = false;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            if (close == std::string_view::npos) continue;
            section = Lower(Trim(line.substr(1, close - 1)));
            // A repeated section is ignored whole: the first one wins.
            inSection = std::find(seen.begin(), seen.end(), section) == seen.end();
            if (inSection) {
                seen.push_back(section);
                if (sections) sections->push_back(section);
            }
            continue;
        }
        if (!inSection) continue;
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = Trim(line.substr(0, eq));
        if (key.empty()) continue;
        std::string_view value = StripQuotes(Trim(line.substr(eq + 1)));
        if (onEntry(section, Lower(key), value)) return;
    }
}

}  // namespace

size_t GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view def,
                               char* buf, size_t size, const std::string& path) {
    if (!buf || size == 0) return 0;
    std::string text;
    std::string found;
    bool have = false;
    if (ReadWholeFile(path, text)) {
        // Blanks around the requested names do not count, as in the file (a few model keys
        // are spelled with a trailing blank).
        const std::string wantSection = Lower(Trim(section));
        const std::string wantKey = Lower(Trim(key));
        Walk(text, [&](const std::string& s, const std::string& k, std::string_view v) {
            if (s == wantSection && k == wantKey) {
                found.assign(v);
                have = true;
                return true;  // the first of duplicates wins
            }
            return false;
        });
    }
    std::string_view value = have ? std::string_view(found) : def;
    size_t n = std::min(value.size(), size - 1);
    if (n) std::memcpy(buf, value.data(), n);  // an empty default may have no data at all
    buf[n] = '\0';
    return n;
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int def, const std::string& path) {
    char buf[64];
    if (GetPrivateProfileString(section, key, {}, buf, sizeof buf, path) == 0) return def;
    const char* p = buf;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = (*p++ == '-');
    if (!std::isdigit(static_cast<unsigned char>(*p))) return def;
    long long v = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        v = v * 10 + (*p++ - '0');
        if (v > 0x7FFFFFFFLL) v = 0x7FFFFFFFLL;  // saturate rather than wrap
    }
    return static_cast<int>(negative ? -v : v);
}

std::string ReadIniString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view def, size_t maxChars) {
    std::string buf(maxChars + 1, '\0');
    size_t n = GetPrivateProfileString(section, key, def, buf.data(), buf.size(), path);
    buf.resize(n);
    return buf;
}

bool ReadIniFlag(const std::string& path, std::string_view section, std::string_view key) {
    char buf[5];
    GetPrivateProfileString(section, key, "0", buf, sizeof buf, path);
    return StrEqual(buf, "1");
}

bool StrEqual(const char* a, const char* b) {
    if (!a || !b) return a == b;
    return std::strcmp(a, b) == 0;
}

bool StrEqual(std::string_view a, std::string_view b) { return a == b; }

size_t Utf8SequenceAt(std::string_view text, size_t at) {
    if (at >= text.size()) return 0;
    const auto c = static_cast<unsigned char>(text[at]);
    size_t n = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
        return 1;
    } else if (c >= 0xC2 && c <= 0xDF) {
        n = 1, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 2, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 3, cp = c & 0x07;
    } else {
        return 0;
    }
    if (text.size() - at <= n) return 0;
    for (size_t k = 1; k <= n; ++k) {
        const auto t = static_cast<unsigned char>(text[at + k]);
        if ((t & 0xC0) != 0x80) return 0;
        cp = cp << 6 | (t & 0x3F);
    }
    if ((n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n + 1;
}

bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t n = Utf8SequenceAt(text, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

IniDocument IniDocument::Load(const std::string& path) {
    std::string text;
    if (!ReadWholeFile(path, text)) return {};
    return Parse(text);
}

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument doc;
    Walk(
        text,
        [&](const std::string& s, const std::string& k, std::string_view v) {
            doc.m_entries.push_back({s, k, std::string(v)});
            return false;
        },
        &doc.m_sections);
    return doc;
}

bool IniDocument::Find(std::string_view section, std::string_view key, std::string& value) const {
    const std::string s = Lower(section), k = Lower(key);
    for (const auto& e : m_entries)
        if (e.section == s && e.key == k) {
            value = e.value;
            return true;
        }
    return false;
}

std::string IniDocument::Get(std::string_view section, std::string_view key, std::string_view def) const {
    std::string v;
    return Find(section, key, v) ? v : std::string(def);
}

std::vector<std::pair<std::string, std::string>> IniDocument::Entries(std::string_view section) const {
    const std::string s = Lower(section);
    std::vector<std::pair<std::string, std::string>> out;
    for (const auto& e : m_entries)
        if (e.section == s && std::none_of(out.begin(), out.end(), [&](const auto& kv) { return kv.first == e.key; }))
            out.emplace_back(e.key, e.value);
    return out;
}

bool IniDocument::HasSection(std::string_view section) const {
    const std::string s = Lower(section);
    return std::find(m_sections.begin(), m_sections.end(), s) != m_sections.end();
}

}  // namespace tav
