#include "cli/SettingNames.h"

#include <cctype>
#include <charconv>
#include <cstdio>

namespace tav::cli {
namespace {

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::optional<uint32_t> ParseNumber(std::string_view s) {
    if (s.empty() || s.size() > 10) return std::nullopt;
    uint64_t v = 0;
    auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || end != s.data() + s.size() || v > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<uint32_t>(v);
}

// The index whose keyword is spelled as the one at index (a table may repeat a spelling).
size_t FirstSpelling(KeywordTable table, size_t index) {
    for (size_t i = 0; i < index; ++i)
        if (Trimmed(table[i]) == Trimmed(table[index])) return i;
    return index;
}

}  // namespace

std::string ValueText(const SettingField& f, uint32_t v, const TableChoice& tables, bool numeric) {
    if (f.index == kFeatureFlagsIndex) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(v));
        return hex;
    }
    if (!f.table) return std::to_string(v);
    if (numeric) return "#" + std::to_string(v);
    const KeywordTable table = f.table(tables);
    // A value the table does not spell, or spells as an earlier entry, keeps its stored number.
    if (v >= table.size() || FirstSpelling(table, v) != v || Trimmed(table[v]).empty()) return "#" + std::to_string(v);
    return std::string(Trimmed(table[v]));
}

namespace {
std::string Line(const SettingField& f, const PrinterSettings& s, const TableChoice& tables, bool numeric) {
    return std::string(f.name) + "=" + ValueText(f, f.get(s), tables, numeric);
}
}  // namespace

std::optional<Assignment> ParseAssignment(std::string_view text, const TableChoice& tables, std::string* error) {
    auto fail = [&](std::string why) -> std::optional<Assignment> {
        if (error) *error = std::move(why);
        return std::nullopt;
    };
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) return fail("\"" + std::string(text) + "\" is not NAME=VALUE");
    const std::string name(text.substr(0, eq));
    const std::string_view value = text.substr(eq + 1);
    const SettingField* f = FindField(Upper(name));
    if (!f) return fail("unknown setting \"" + name + "\" (tavctl set --help lists them)");
    if (!f->Settable()) return fail(std::string(f->name) + " is read only");
    if (value.empty()) return fail(std::string(f->name) + " needs a value");

    // One spelling per field, the one query prints: a keyword where the field has a table (a
    // number that is also a keyword is that keyword), else the number; #N is the stored number.
    std::optional<uint32_t> number;
    if (value[0] == '#') {
        number = ParseNumber(value.substr(1));
    } else if (f->table) {
        const KeywordTable table = f->table(tables);
        const std::string word = Upper(value);
        for (size_t i = 0; i < table.size(); ++i)
            if (!Trimmed(table[i]).empty() && Trimmed(table[i]) == word) return Assignment{f, static_cast<uint32_t>(i)};
        if (ParseNumber(value))
            return fail("\"" + std::string(value) + "\" is not a keyword of " + std::string(f->name) + " (#" +
                        std::string(value) + " sets the stored number; tavctl set --help lists the keywords)");
    } else {
        number = ParseNumber(value);
    }
    if (!number) return fail("\"" + std::string(value) + "\" is not a value of " + std::string(f->name));

    const uint64_t limit = f->width >= 4 ? 0xFFFFFFFFull : (1ull << (8 * f->width)) - 1;
    if (*number > limit)
        return fail(std::string(f->name) + " takes 0 to " + std::to_string(limit) + ", not " +
                    std::to_string(*number));
    return Assignment{f, *number};
}

std::string ListProblem(const SettingField& f, uint32_t value, const TableChoice& tables, uint32_t residentFontCount) {
    uint64_t limit = 0;
    if (f.table)
        limit = f.table(tables).size() - 1 + f.extra;
    else if (f.index == kFontNumberIndex && residentFontCount > 0)
        limit = residentFontCount - 1;  // no flash listing here
    else
        return "";
    if (value <= limit) return "";
    return std::string(f.name) + " takes 0 to " + std::to_string(limit) + ", not " + std::to_string(value);
}

std::vector<std::string> SettingLines(const PrinterSettings& s, const TableChoice& tables, bool numeric) {
    std::vector<std::string> lines;
    for (const SettingField* f : FieldsInRecordOrder()) lines.push_back(Line(*f, s, tables, numeric));
    return lines;
}

std::vector<std::string> ChangedLines(const PrinterSettings& before, const PrinterSettings& after,
                                      const TableChoice& tables, bool numeric) {
    std::vector<std::string> lines;
    for (const SettingField* f : FieldsInRecordOrder())
        if (f->get(before) != f->get(after)) lines.push_back(Line(*f, after, tables, numeric));
    return lines;
}

}  // namespace tav::cli
