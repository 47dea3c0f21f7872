// The printer's flash store: PCL soft fonts and macros, the active macro, PostScript forms.
// Downloads take the rest of their job as data, so the listings and the settings record's
// macro field show exactly what arrived.
#include <algorithm>
#include <cctype>

#include "Ini.h"
#include "Printer.h"

namespace tavsim {
namespace {

constexpr uint8_t kActiveMacroIndex = 91;
constexpr uint32_t kNoMacro = 65535;
const std::string kEsc = "\x1b";

// Digits at data[pos...]; the value, or -1 when there are none or too many.
long Digits(const std::string& data, size_t& pos) {
    size_t start = pos;
    long v = 0;
    while (pos < data.size() && std::isdigit(static_cast<unsigned char>(data[pos])) && pos - start < 6)
        v = v * 10 + (data[pos++] - '0');
    return pos == start || pos - start > 5 ? -1 : v;
}

// "ESC prefix <digits> final" at the start of data: the number, and pos after it; -1 when absent.
long PclNumber(const std::string& data, const std::string& prefix, char final, size_t& pos) {
    pos = 0;
    if (data.compare(0, kEsc.size() + prefix.size(), kEsc + prefix) != 0) return -1;
    pos = kEsc.size() + prefix.size();
    long v = Digits(data, pos);
    if (v < 0 || pos >= data.size() || data[pos] != final) return -1;
    ++pos;
    return v;
}

bool ParseId(const PjlLine& l, uint32_t max, uint32_t& id) {
    const std::string v = l.ValueText();
    size_t pos = 0;
    long n = Digits(v, pos);
    if (n < 0 || pos != v.size() || static_cast<uint32_t>(n) > max) return false;
    id = static_cast<uint32_t>(n);
    return true;
}

// A soft font that opens with its descriptor ("ESC)s<n>W" + header) names itself and its
// symbol set there; anything else is listed under its ID.
void DescribeFont(const std::string& data, uint16_t id, std::string& name, std::string& symSet) {
    name = "Soft Font " + std::to_string(id);
    symSet = "8U";
    size_t pos = 0;
    if (PclNumber(data, ")s", 'W', pos) < 0 || data.size() < pos + 64) return;
    const std::string desc = data.substr(pos, 64);
    const unsigned code = (static_cast<uint8_t>(desc[14]) << 8) | static_cast<uint8_t>(desc[15]);
    const char letter = static_cast<char>((code & 31) + 64);
    if (code != 0 && letter >= 'A' && letter <= 'Z') symSet = std::to_string(code >> 5) + letter;
    std::string n;
    for (size_t i = 48; i < 64; ++i) {
        const unsigned char c = static_cast<unsigned char>(desc[i]);
        if (c == 0) break;
        n += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    n = Trim(n);
    if (!n.empty()) name = n.substr(0, 20);
}

} // namespace

std::string Printer::TakeRestOfJob() {
    if (!m_jobBody || m_restAt >= m_jobBody->size()) return {};
    std::string rest = m_jobBody->substr(m_restAt);
    m_restAt = m_jobBody->size();
    return rest;
}

void Printer::FsDownloadFont(const PjlLine&, JobResult& r) {
    const std::string data = TakeRestOfJob();
    size_t pos = 0;
    long id = PclNumber(data, "*c", 'D', pos);
    if (id < 0 || id > 0xFFFF) {
        r.notes.push_back("FSDOWNLOADFONT: the data does not start with the font ID command");
        return;
    }
    // A font file that opens with its own ID command is stored under that ID: it comes last.
    size_t own = 0;
    if (const long fileId = PclNumber(data.substr(pos), "*c", 'D', own); fileId >= 0 && fileId <= 0xFFFF) {
        id = fileId;
        pos += own;
    }
    if (pos == data.size()) {
        r.notes.push_back("FSDOWNLOADFONT: no font data after the font ID");
        return;
    }
    FlashFont f;
    f.id = static_cast<uint16_t>(id);
    DescribeFont(data.substr(pos), f.id, f.name, f.symSet);
    auto same =
        std::find_if(m_fonts.begin(), m_fonts.end(), [&](const FlashFont& x) { return x.id == f.id; });
    if (same != m_fonts.end()) {
        f.number = same->number;
        *same = f;
        r.notes.push_back("FSDOWNLOADFONT: font " + std::to_string(id) + " replaced");
        return;
    }
    uint8_t number = 0;
    for (const FlashFont& x : m_fonts)
        number = std::max(number, x.number);
    f.number = static_cast<uint8_t>(number + 1);
    m_fonts.push_back(f);
}

void Printer::FsDownloadMacro(const PjlLine&, JobResult& r) {
    const std::string data = TakeRestOfJob();
    size_t pos = 0;
    const long id = PclNumber(data, "&f", 'Y', pos);
    const std::string start = kEsc + "&f0X", end = kEsc + "&f1X";
    if (id < 0 || id > 0xFFFF || data.compare(pos, start.size(), start) != 0) {
        r.notes.push_back(
            "FSDOWNLOADMACRO: the data does not start with the macro ID and the start of a macro");
        return;
    }
    if (data.size() < pos + start.size() + end.size() ||
        data.compare(data.size() - end.size(), end.size(), end) != 0) {
        r.notes.push_back("FSDOWNLOADMACRO: the macro is not closed by the end of a macro");
        return;
    }
    if (std::find(m_macros.begin(), m_macros.end(), id) == m_macros.end())
        m_macros.push_back(static_cast<uint16_t>(id));
    else
        r.notes.push_back("FSDOWNLOADMACRO: macro " + std::to_string(id) + " replaced");
}

void Printer::FsDeleteFont(const PjlLine& l, JobResult& r) {
    uint32_t id = 0;
    if (!ParseId(l, 0xFFFF, id))
        return r.notes.push_back("FSDELETEFONT: \"" + l.ValueText() + "\" is not a font ID");
    auto it = std::find_if(m_fonts.begin(), m_fonts.end(), [&](const FlashFont& f) { return f.id == id; });
    if (it == m_fonts.end()) return r.notes.push_back("FSDELETEFONT: no font " + std::to_string(id));
    m_fonts.erase(it);
}

void Printer::FsDeleteFontAll(const PjlLine&, JobResult&) {
    m_fonts.clear();
}

void Printer::FsDeleteMacro(const PjlLine& l, JobResult& r) {
    uint32_t id = 0;
    if (!ParseId(l, 0xFFFF, id))
        return r.notes.push_back("FSDELETEMACRO: \"" + l.ValueText() + "\" is not a macro ID");
    auto it = std::find(m_macros.begin(), m_macros.end(), id);
    if (it == m_macros.end()) return r.notes.push_back("FSDELETEMACRO: no macro " + std::to_string(id));
    m_macros.erase(it);
    if (m_settings.value[kActiveMacroIndex] == id) m_settings.value[kActiveMacroIndex] = kNoMacro;
}

void Printer::FsDeleteMacroAll(const PjlLine&, JobResult&) {
    m_macros.clear();
    m_settings.value[kActiveMacroIndex] = kNoMacro;
}

void Printer::FsDeleteAll(const PjlLine& l, JobResult& r) {
    FsDeleteFontAll(l, r);
    FsDeleteMacroAll(l, r);
}

void Printer::FsMacroId(const PjlLine& l, JobResult& r) {
    uint32_t id = 0;
    if (!ParseId(l, 0xFFFF, id))
        return r.notes.push_back("FSMACROID: \"" + l.ValueText() + "\" is not a macro ID");
    if (id != kNoMacro && std::find(m_macros.begin(), m_macros.end(), id) == m_macros.end())
        return r.notes.push_back("FSMACROID: no macro " + std::to_string(id));
    m_settings.value[kActiveMacroIndex] = id;
}

void Printer::FormatFlash(const PjlLine&, JobResult&) {
    m_fonts.clear();
    m_macros.clear();
    m_forms.clear();
    m_settings.value[kActiveMacroIndex] = kNoMacro;
}

void Printer::FsDeletePsFormAll(const PjlLine&, JobResult&) {
    m_forms.clear();
}

void Printer::SetPsFormName(const PjlLine& l, JobResult&) {
    m_psFormName = l.ValueText();
}

void Printer::SetPsFormSize(const PjlLine& l, JobResult& r) {
    const std::string v = l.ValueText();
    size_t pos = 0;
    long long n = 0;
    for (; pos < v.size() && std::isdigit(static_cast<unsigned char>(v[pos])) && pos < 10; ++pos)
        n = n * 10 + (v[pos] - '0');
    if (pos == 0 || pos != v.size()) {
        m_psFormSize = -1;
        r.notes.push_back("SET PSFORMSIZE: \"" + v + "\" is not a size");
        return;
    }
    m_psFormSize = n;
}

void Printer::FsDownloadPsForm(const PjlLine&, JobResult& r) {
    const std::string data = TakeRestOfJob();
    if (m_psFormName.empty() || m_psFormSize < 0)
        return r.notes.push_back("FSDOWNLOADPSFORM without PSFORMNAME and PSFORMSIZE");
    if (static_cast<long long>(data.size()) != m_psFormSize)
        return r.notes.push_back("FSDOWNLOADPSFORM: " + std::to_string(data.size()) +
                                 " bytes arrived, PSFORMSIZE said " + std::to_string(m_psFormSize));
    // The store keeps the form under its file name; the folders of the sending computer mean nothing to it.
    std::string name = m_psFormName;
    if (size_t slash = name.find_last_of("/\\"); slash != std::string::npos) name.erase(0, slash + 1);
    if (name.empty() || name.size() > 63)
        return r.notes.push_back("FSDOWNLOADPSFORM: \"" + name + "\" is no form name");
    if (m_forms.size() >= 64) return r.notes.push_back("FSDOWNLOADPSFORM: the form store is full");
    auto same = std::find_if(m_forms.begin(), m_forms.end(), [&](const PsForm& f) { return f.name == name; });
    if (same != m_forms.end())
        same->size = static_cast<uint32_t>(data.size());
    else
        m_forms.push_back({name, static_cast<uint32_t>(data.size())});
}

} // namespace tavsim
