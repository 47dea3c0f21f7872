// A small INI reader for profiles: sections and keys keep their order (menu trees and lists
// depend on it) and match without regard to case. Blanks around keys and values and one pair
// of surrounding quotes are stripped; ';' and '#' start comment lines, and " ;" ends a value.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tavsim {

struct IniEntry {
    std::string key;
    std::string value;
    int line = 0;
};

struct IniSection {
    std::string name;
    std::vector<IniEntry> entries;
    const IniEntry* Find(std::string_view key) const;
};

class IniFile {
public:
    static bool Load(const std::string& path, IniFile& out, std::string& error);
    static IniFile Parse(std::string_view text);
    const IniSection* Section(std::string_view name) const;
    std::string Get(std::string_view section, std::string_view key, std::string_view def = {}) const;
    bool Has(std::string_view section, std::string_view key) const;
    const std::vector<IniSection>& Sections() const { return m_sections; }

private:
    std::vector<IniSection> m_sections;
};

bool EqualNoCase(std::string_view a, std::string_view b);
std::string Trim(std::string_view s);
std::string Upper(std::string_view s);
std::vector<std::string> SplitList(std::string_view s, char sep = ',');

}  // namespace tavsim
