#include "Printer.h"

#include <algorithm>
#include <cctype>

#include "Framer.h"

namespace tavsim {

const std::vector<Printer::Command>& Printer::Commands() {
    static const std::vector<Command> table = {
        {"INFO PRINTER", &Printer::InfoPrinter},
        {"INFO INFORMATION", &Printer::InfoInformation},
        {"INFO STATUS", &Printer::InfoStatus},
        {"DEFAULT", &Printer::Default},
        {"INITIALIZE", &Printer::Initialize},
        {"TEST PRINT", &Printer::TestPrint},
        {"FSFONTINFO", &Printer::FsFontInfo},
        {"FSPSFORMINFO", &Printer::FsPsFormInfo},
        {"FSMACROINFO", &Printer::FsMacroInfo},
        {"ENGINE NUX_MODE", &Printer::NuxMode},
        {"ENGINE NUX_BUTTON", &Printer::NuxButton},
        {"FSDOWNLOADFONT", &Printer::FsDownloadFont},
        {"FSDOWNLOADMACRO", &Printer::FsDownloadMacro},
        {"FSDELETEFONT", &Printer::FsDeleteFont},
        {"FSDELETEFONTALL", &Printer::FsDeleteFontAll},
        {"FSDELETEMACRO", &Printer::FsDeleteMacro},
        {"FSDELETEMACROALL", &Printer::FsDeleteMacroAll},
        {"FSDELETEALL", &Printer::FsDeleteAll},
        {"FSMACROID", &Printer::FsMacroId},
        {"FORMAT FLASH", &Printer::FormatFlash},
        {"FSDELETEPSFORMALL", &Printer::FsDeletePsFormAll},
        {"SET PSFORMNAME", &Printer::SetPsFormName},
        {"SET PSFORMSIZE", &Printer::SetPsFormSize},
        {"FSDOWNLOADPSFORM", &Printer::FsDownloadPsForm},
        {"INQUIRE PSFILESYS", &Printer::InquirePsFileSys},
        {"INQUIRE PSFNTINFO", &Printer::InquirePsFntInfo},
        {"INQUIRE PSFRMINFO", &Printer::InquirePsFrmInfo},
        {"INQUIRE PSHDDSIZE", &Printer::InquirePsHddSize},
        {"INQUIRE PSDIMMSIZE", &Printer::InquirePsDimmSize},
        {"FSPSDIRLIST", &Printer::FsPsDirList},
    };
    return table;
}

std::string PjlLine::Arg(size_t i) const { return keyWords + i < words.size() ? words[keyWords + i] : std::string(); }

std::string PjlLine::After(const char* word) const {
    std::string up = Upper(text);
    size_t p = up.find(word);
    return p == std::string::npos ? std::string() : text.substr(p + std::string(word).size());
}

std::string PjlLine::ValueText() const {
    size_t p = text.find('=');
    return p == std::string::npos ? std::string() : Trim(text.substr(p + 1));
}

PjlLine SplitPjlLine(const std::string& text) {
    PjlLine l;
    l.text = Trim(text);
    std::string word;
    for (char c : l.text) {
        if (c == '=' || std::isspace(static_cast<unsigned char>(c))) {
            if (!word.empty()) l.words.push_back(Upper(word));
            word.clear();
        } else {
            word += c;
        }
    }
    if (!word.empty()) l.words.push_back(Upper(word));
    return l;
}

Printer::Printer(const Profile& profile)
    : m_profile(profile),
      m_settings(profile.factory),
      m_fonts(profile.fonts),
      m_macros(profile.macros),
      m_forms(profile.forms),
      m_nux(profile.nux) {
    std::vector<std::string> ignored;  // the profile loader has already had its say
    m_psfs.Load(profile.ini, ignored);
}

JobResult Printer::RunJob(const std::vector<uint8_t>& bytes) {
    JobResult r;
    const std::string uel(kUel, kUelLen);
    std::string body(bytes.begin(), bytes.end());
    if (body.compare(0, kUelLen, uel) == 0) body.erase(0, kUelLen);
    if (body.size() >= kUelLen && body.compare(body.size() - kUelLen, kUelLen, uel) == 0)
        body.erase(body.size() - kUelLen);
    // A PostScript job (the font and form manager's programs) is no PJL.
    if (size_t ps = body.find_first_not_of("\r\n"); ps != std::string::npos && body.compare(ps, 4, "%!PS") == 0) {
        m_psfs.RunPostScript(body, r.notes);
        return r;
    }
    // Lines that do not start with "@PJL" (download data, PostScript) are not commands.
    size_t pos = 0;
    m_jobBody = &body;
    while (pos < body.size()) {
        size_t nl = body.find('\n', pos);
        if (nl == std::string::npos) nl = body.size();
        m_restAt = std::min(nl + 1, body.size());
        RunLine(body.substr(pos, nl - pos), r);
        pos = std::max(nl + 1, m_restAt);
    }
    m_jobBody = nullptr;
    m_psFormName.clear();
    m_psFormSize = -1;
    return r;
}

void Printer::RunLine(const std::string& raw, JobResult& r) {
    std::string line = raw;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    if (line.size() < 4 || !EqualNoCase(line.substr(0, 4), "@PJL")) return;
    if (line.size() > 4 && !std::isspace(static_cast<unsigned char>(line[4]))) return;  // "@PJLX" is no PJL line
    PjlLine l = SplitPjlLine(line.substr(4));
    if (l.words.empty()) return;  // the bare "@PJL" that opens every job
    r.commands.push_back(l.text);
    const Command* best = nullptr;
    size_t bestLen = 0;
    for (const auto& c : Commands()) {
        PjlLine key = SplitPjlLine(c.key);
        if (key.words.size() <= l.words.size() && key.words.size() > bestLen &&
            std::equal(key.words.begin(), key.words.end(), l.words.begin())) {
            best = &c;
            bestLen = key.words.size();
        }
    }
    if (!best) {
        r.notes.push_back("unknown command: " + l.text);
        return;
    }
    l.keyWords = bestLen;
    (this->*best->run)(l, r);
}

void Printer::InfoPrinter(const PjlLine& l, JobResult& r) {
    if (l.Arg(0) != "ALL") {
        r.notes.push_back("INFO PRINTER without ALL: " + l.text);
        return;
    }
    r.replies.push_back({"INFO PRINTER", SettingsRecord()});
}

std::vector<uint8_t> Printer::InformationReport() const {
    std::vector<uint8_t> out = m_profile.infoHeader;
    std::vector<InfoItem> items = m_profile.info;
    // Type 1 must come first: a later type 1 reads as the list starting over.
    std::stable_sort(items.begin(), items.end(), [](const InfoItem& a, const InfoItem& b) { return a.type < b.type; });
    for (const auto& it : items) {
        out.push_back(it.type);
        out.push_back(uint8_t(it.text.size()));
        out.insert(out.end(), it.text.begin(), it.text.end());
    }
    out.push_back(0xff);
    out.push_back(0x00);
    return out;
}

void Printer::InfoInformation(const PjlLine& l, JobResult& r) {
    if (l.Arg(0) != "ALL") {
        r.notes.push_back("INFO INFORMATION without ALL: " + l.text);
        return;
    }
    r.replies.push_back({"INFO INFORMATION", InformationReport()});
}

std::vector<uint8_t> Printer::StatusReport() const {
    const StatusInfo& s = m_profile.status;
    std::string text = "@PJL INFO STATUS\r\nCODE=" + std::to_string(s.code) + "\r\nDISPLAY=\"" + s.display +
                       "\"\r\nONLINE=" + (s.online ? "TRUE" : "FALSE") + "\r\n\f";
    return std::vector<uint8_t>(text.begin(), text.end());
}

void Printer::InfoStatus(const PjlLine&, JobResult& r) { r.replies.push_back({"INFO STATUS", StatusReport()}); }

void Printer::Default(const PjlLine& l, JobResult& r) {
    DefaultResult d = ApplyDefault(m_settings, m_profile.options, m_fonts, l.After("DEFAULT"));
    if (!d.applied) r.notes.push_back("DEFAULT " + d.variable + " = \"" + d.value + "\" ignored: " + d.note);
}

void Printer::Initialize(const PjlLine&, JobResult&) { m_settings = m_profile.factory; }

void Printer::TestPrint(const PjlLine& l, JobResult& r) {
    std::string name = Upper(l.ValueText());
    if (std::find(m_profile.testPages.begin(), m_profile.testPages.end(), name) == m_profile.testPages.end()) {
        r.notes.push_back("TEST PRINT: no such page \"" + name + "\"");
        return;
    }
    r.printed.push_back(name);
}

std::vector<uint8_t> Printer::FontInfo() const {
    std::vector<uint8_t> out = {uint8_t(m_fonts.size() >> 8), uint8_t(m_fonts.size())};
    for (const auto& f : m_fonts) {
        uint8_t rec[26] = {};
        rec[0] = f.number;
        rec[1] = uint8_t(f.id >> 8);
        rec[2] = uint8_t(f.id);
        std::copy_n(f.name.begin(), std::min<size_t>(f.name.size(), 20), rec + 3);
        // The symbol set is a fixed 3-byte field; shorter texts are blank-padded as the printer lists them.
        for (size_t i = 0; i < 3; ++i) rec[23 + i] = uint8_t(i < f.symSet.size() ? f.symSet[i] : ' ');
        out.insert(out.end(), rec, rec + 26);
    }
    return out;
}

void Printer::FsFontInfo(const PjlLine&, JobResult& r) { r.replies.push_back({"FSFONTINFO", FontInfo()}); }

std::vector<uint8_t> Printer::FormInfo() const {
    auto put32 = [](std::vector<uint8_t>& v, uint32_t x) {
        for (int b = 3; b >= 0; --b) v.push_back(uint8_t(x >> (8 * b)));
    };
    std::vector<uint8_t> out;
    put32(out, uint32_t(m_forms.size()));
    for (const auto& f : m_forms) {
        put32(out, uint32_t(f.name.size() + 4));
        put32(out, f.size);
        out.insert(out.end(), f.name.begin(), f.name.end());
    }
    return out;
}

void Printer::FsPsFormInfo(const PjlLine&, JobResult& r) { r.replies.push_back({"FSPSFORMINFO", FormInfo()}); }

std::vector<uint8_t> Printer::MacroInfo() const {
    std::vector<uint8_t> out = {uint8_t(m_macros.size() >> 8), uint8_t(m_macros.size())};
    for (uint16_t id : m_macros) {
        out.push_back(uint8_t(id >> 8));
        out.push_back(uint8_t(id));
    }
    return out;
}

void Printer::FsMacroInfo(const PjlLine&, JobResult& r) { r.replies.push_back({"FSMACROINFO", MacroInfo()}); }

void Printer::NuxMode(const PjlLine& l, JobResult& r) {
    std::string v = l.Arg(0);
    if (v == "TRUE" || v == "ON") m_nux.SetMode(true);
    else if (v == "FALSE" || v == "OFF") m_nux.SetMode(false);
    else r.notes.push_back("ENGINE NUX_MODE: unknown value \"" + v + "\"");
}

void Printer::NuxButton(const PjlLine& l, JobResult& r) {
    std::string v = l.Arg(0);
    int key = (v.size() == 1 && v[0] >= '1' && v[0] <= '5') ? v[0] - '0' : 0;
    if (!m_nux.Press(key)) r.notes.push_back("ENGINE NUX_BUTTON: unknown key \"" + v + "\"");
    else if (!m_nux.Mode()) r.notes.push_back("ENGINE NUX_BUTTON outside diagnostic mode");
    auto disp = m_nux.Reply(m_profile.status.display);
    r.replies.push_back({"ENGINE NUX_BUTTON", std::vector<uint8_t>(disp.begin(), disp.end())});
}

}  // namespace tavsim
