#include "Ini.h"

#include <cctype>
#include <fstream>
#include <sstream>

namespace tavsim {

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return std::string(s.substr(b, e - b));
}

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::vector<std::string> SplitList(std::string_view s, char sep) {
    std::vector<std::string> out;
    if (Trim(s).empty()) return out;
    size_t start = 0;
    while (true) {
        size_t pos = s.find(sep, start);
        out.push_back(Trim(s.substr(start, pos == std::string_view::npos ? std::string_view::npos : pos - start)));
        if (pos == std::string_view::npos) break;
        start = pos + 1;
    }
    return out;
}

const IniEntry* IniSection::Find(std::string_view key) const {
    for (const auto& e : entries)
        if (EqualNoCase(e.key, key)) return &e;
    return nullptr;
}

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    IniSection* current = nullptr;
    int lineNo = 0;
    size_t pos = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;  // an editor's UTF-8 mark
    while (pos <= text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view raw = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        pos = (nl == std::string_view::npos) ? text.size() + 1 : nl + 1;
        ++lineNo;
        std::string line = Trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            std::string name = Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            current = nullptr;
            for (auto& s : ini.m_sections)
                if (EqualNoCase(s.name, name)) current = &s;
            if (!current) {
                ini.m_sections.push_back(IniSection{name, {}});
                current = &ini.m_sections.back();
            }
            continue;
        }
        size_t eq = line.find('=');
        if (!current || eq == std::string::npos) continue;
        IniEntry e;
        e.key = Trim(line.substr(0, eq));
        std::string value = line.substr(eq + 1);
        // " ; ..." after a value is a comment; a ';' inside a word is kept.
        for (size_t c = 1; c < value.size(); ++c)
            if (value[c] == ';' && std::isspace(static_cast<unsigned char>(value[c - 1]))) {
                value.resize(c);
                break;
            }
        e.value = Trim(value);
        if (e.value.size() >= 2 && e.value.front() == '"' && e.value.back() == '"')
            e.value = e.value.substr(1, e.value.size() - 2);
        e.line = lineNo;
        // A repeated key keeps its first value, as private-profile reading does.
        if (!current->Find(e.key)) current->entries.push_back(std::move(e));
    }
    return ini;
}

bool IniFile::Load(const std::string& path, IniFile& out, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read profile " + path;
        return false;
    }
    std::stringstream ss;
    ss << in.rdbuf();
    out = Parse(ss.str());
    return true;
}

const IniSection* IniFile::Section(std::string_view name) const {
    for (const auto& s : m_sections)
        if (EqualNoCase(s.name, name)) return &s;
    return nullptr;
}

std::string IniFile::Get(std::string_view section, std::string_view key, std::string_view def) const {
    const IniSection* s = Section(section);
    const IniEntry* e = s ? s->Find(key) : nullptr;
    return e ? e->value : std::string(def);
}

bool IniFile::Has(std::string_view section, std::string_view key) const {
    const IniSection* s = Section(section);
    return s && s->Find(key);
}

}  // namespace tavsim
