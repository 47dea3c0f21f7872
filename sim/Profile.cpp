#include "Profile.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace tavsim {
namespace {

bool ParseNumber(const std::string& v, unsigned long long max, unsigned long long& out) {
    if (v.empty() || !std::isdigit(static_cast<unsigned char>(v[0]))) return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoull(v.c_str(), &end, 0);  // 0x... allowed for the capability word
    return errno == 0 && end && *end == '\0' && out <= max;
}

std::string Where(const IniSection& s, const IniEntry& e) {
    return "[" + s.name + "] " + e.key + " (line " + std::to_string(e.line) + ")";
}

bool LoadModel(const IniFile& ini, Profile& p, std::string& error) {
    p.model = ini.Get("Model", "Name", "Simulated printer");
    std::string jam = Upper(ini.Get("Model", "JamRecovery", "ONOFF"));
    if (jam == "KALOR") p.options.kalorJamRecovery = true;
    else if (jam != "ONOFF") return error = "[Model] JamRecovery must be ONOFF or KALOR", false;
    std::string res = Upper(ini.Get("Model", "Resolution", "SHORT"));
    if (res == "SHORT") p.options.resolution = ResolutionNames::Short;
    else if (res == "FULL") p.options.resolution = ResolutionNames::Full;
    else if (res == "BEST") p.options.resolution = ResolutionNames::Best;
    else return error = "[Model] Resolution must be SHORT, FULL or BEST", false;
    unsigned long long n;
    std::string resident = ini.Get("Model", "ResidentFonts", "54");
    if (!ParseNumber(resident, 255, n)) return error = "[Model] ResidentFonts is not a number", false;
    p.options.residentFonts = unsigned(n);
    return true;
}

bool LoadSettings(const IniFile& ini, Profile& p, std::string& error) {
    if (const IniSection* s = ini.Section("Settings")) {
        for (const auto& e : s->entries) {
            const FieldDef* f = FindField(e.key);
            if (!f) return error = Where(*s, e) + ": no such settings field", false;
            unsigned long long max = f->width == 4 ? 0xffffffffULL : (1ULL << (8 * f->width)) - 1;
            unsigned long long n;
            if (!ParseNumber(e.value, max, n))
                return error = Where(*s, e) + ": not a number that fits " + std::to_string(f->width) + " byte(s)", false;
            p.factory.value[f->index] = uint32_t(n);
        }
    }
    if (p.factory.value[7] != 0) p.factory.binding = uint8_t(p.factory.value[7] == 2 ? 2 : 1);
    if (p.factory.value[11] != 0) p.factory.powerSaveTime = uint8_t(p.factory.value[11]);
    p.factory.flashFontSource = p.factory.value[30] >= p.options.residentFonts;

    for (const auto& item : SplitList(ini.Get("Record", "Omit"))) {
        unsigned long long n;
        if (!ParseNumber(item, 255, n)) return error = "[Record] Omit: \"" + item + "\" is not an index", false;
        p.factory.omitted.set(size_t(n));
    }
    unsigned long long end;
    if (!ParseNumber(ini.Get("Record", "End", "255"), 255, end) || (end != 0 && end < 200))
        return error = "[Record] End must be 0 (none) or 200 to 255", false;
    p.factory.endIndex = int(end);
    if (const IniSection* s = ini.Section("RawEntries")) {
        for (const auto& e : s->entries) {
            unsigned long long n;
            RawEntry r;
            if (!ParseNumber(e.key, 199, n)) return error = Where(*s, e) + ": the key must be an index below 200", false;
            if (!ParseHexBytes(e.value, r.bytes) || r.bytes.empty())
                return error = Where(*s, e) + ": expected hex bytes (length byte first)", false;
            r.index = uint8_t(n);
            p.factory.raw.push_back(std::move(r));
        }
    }
    return true;
}

bool LoadStorage(const IniFile& ini, Profile& p, std::string& error) {
    if (const IniSection* s = ini.Section("FlashFonts")) {
        for (const auto& e : s->entries) {
            auto parts = SplitList(e.value);
            unsigned long long num, id;
            if (parts.size() != 4 || !ParseNumber(parts[0], 255, num) || !ParseNumber(parts[1], 0xffff, id))
                return error = Where(*s, e) + ": expected \"number, id, typeface, symbol set\"", false;
            if (parts[2].size() > 20) return error = Where(*s, e) + ": typeface longer than 20 characters", false;
            if (parts[3].size() > 3) return error = Where(*s, e) + ": symbol set longer than 3 characters", false;
            p.fonts.push_back(FlashFont{uint8_t(num), uint16_t(id), parts[2], parts[3]});
        }
    }
    for (const auto& item : SplitList(ini.Get("FlashMacros", "Ids"))) {
        unsigned long long n;
        if (!ParseNumber(item, 0xffff, n)) return error = "[FlashMacros] Ids: \"" + item + "\" is not an ID", false;
        p.macros.push_back(uint16_t(n));
    }
    if (const IniSection* s = ini.Section("PSForms")) {
        for (const auto& e : s->entries) {
            auto parts = SplitList(e.value);
            unsigned long long size;
            if (parts.size() != 2 || parts[0].empty() || !ParseNumber(parts[1], 0xffffffffULL, size))
                return error = Where(*s, e) + ": expected \"name, size in bytes\"", false;
            if (parts[0].size() > 63) return error = Where(*s, e) + ": form name longer than 63 characters", false;
            p.forms.push_back(PsForm{parts[0], uint32_t(size)});
        }
    }
    return true;
}

bool LoadReports(const IniFile& ini, Profile& p, std::string& error) {
    if (const IniSection* s = ini.Section("Information")) {
        for (const auto& e : s->entries) {
            if (EqualNoCase(e.key, "Header")) {
                if (!ParseHexBytes(e.value, p.infoHeader) || p.infoHeader.size() != 2)
                    return error = Where(*s, e) + ": expected two hex bytes", false;
                continue;
            }
            unsigned long long type;
            if (!ParseNumber(e.key, 255, type) || type == 0)
                return error = Where(*s, e) + ": the key must be an item type 1 to 255", false;
            if (e.value.size() > 255) return error = Where(*s, e) + ": text longer than 255 bytes", false;
            p.info.push_back(InfoItem{uint8_t(type), e.value});
        }
    }
    unsigned long long code;
    if (!ParseNumber(ini.Get("Status", "Code", "10001"), 99999, code))
        return error = "[Status] Code is not a status code", false;
    p.status.code = int(code);
    p.status.display = ini.Get("Status", "Display", "READY");
    p.status.online = !EqualNoCase(ini.Get("Status", "Online", "TRUE"), "FALSE");
    p.testPages = SplitList(ini.Get("TestPrints", "Names", "CONFIG, DEMO, MENUMAP"));
    for (auto& name : p.testPages) name = Upper(name);
    return true;
}

bool LoadNuxNode(const IniFile& ini, Profile& p, const std::string& path, int parent, int depth, std::string& error) {
    if (depth > 8) return error = "[" + path + "]: menu nested too deep", false;
    NuxNode node;
    node.parent = parent;
    node.name = path.substr(path.rfind('/') + 1);
    node.values = SplitList(ini.Get(path, "Values"));
    node.action = ini.Get(path, "Action");
    std::string value = ini.Get(path, "Value");
    if (!value.empty()) {
        int i = TableIndex(node.values, value);
        if (i < 0) return error = "[" + path + "] Value \"" + value + "\" is not one of its Values", false;
        node.selected = size_t(i);
    }
    int self = int(p.nux.nodes.size());
    p.nux.nodes.push_back(node);
    (parent < 0 ? p.nux.top : p.nux.nodes[size_t(parent)].children).push_back(self);
    for (const auto& child : SplitList(ini.Get(path, "Items"))) {
        if (child.empty()) return error = "[" + path + "] Items: empty name", false;
        if (!LoadNuxNode(ini, p, path + "/" + child, self, depth + 1, error)) return false;
    }
    return true;
}

bool LoadNux(const IniFile& ini, Profile& p, std::string& error) {
    if (!ini.Section("NuxMenu")) return true;
    p.nux.home1 = ini.Get("NuxMenu", "Home1", p.nux.home1);
    p.nux.home2 = ini.Get("NuxMenu", "Home2", p.nux.home2);
    p.nux.title = ini.Get("NuxMenu", "Title", p.nux.title);
    for (const auto& item : SplitList(ini.Get("NuxMenu", "Items"))) {
        if (item.empty()) return error = "[NuxMenu] Items: empty name", false;
        if (!LoadNuxNode(ini, p, "NuxMenu/" + item, -1, 0, error)) return false;
    }
    return true;
}

}  // namespace

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>& out) {
    out.clear();
    int nibble = -1;
    for (char ch : text) {
        if (std::isspace(static_cast<unsigned char>(ch))) {
            if (nibble >= 0) return false;
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(ch))) return false;
        int v = std::isdigit(static_cast<unsigned char>(ch)) ? ch - '0' : (std::tolower(ch) - 'a' + 10);
        if (nibble < 0) {
            nibble = v;
        } else {
            out.push_back(uint8_t(nibble << 4 | v));
            nibble = -1;
        }
    }
    return nibble < 0;
}

bool ParseProfile(const IniFile& ini, Profile& out, std::string& error) {
    Profile p;
    p.ini = ini;
    if (!LoadModel(ini, p, error) || !LoadSettings(ini, p, error) || !LoadStorage(ini, p, error) ||
        !LoadReports(ini, p, error) || !LoadNux(ini, p, error))
        return false;
    out = std::move(p);
    return true;
}

bool LoadProfile(const std::string& path, Profile& out, std::string& error) {
    IniFile ini;
    if (!IniFile::Load(path, ini, error)) return false;
    if (!ParseProfile(ini, out, error)) {
        error = path + ": " + error;
        return false;
    }
    out.path = path;
    return true;
}

}  // namespace tavsim
