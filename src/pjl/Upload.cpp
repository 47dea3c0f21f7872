#include "pjl/Upload.h"

#include <charconv>

#include "pjl/PclFont.h"
#include "pjl/Pjl.h"
#include "pjl/Resolution.h"
#include "pjl/SettingsFields.h"
#include "pjl/UploadTables.h"

namespace tav {
namespace {

using namespace keywords;

// Fixed-point text that does not follow the process locale: a desktop locale with a decimal
// comma must not reach the printer.
std::string Fixed(double value, int decimals, size_t minWidth = 0) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string text(buf, ec == std::errc() ? end : buf);
    if (text.size() < minWidth) text.insert(0, minWidth - text.size(), ' ');
    return text;
}

// A flash symbol set text comes from the printer's font listing; it goes into a command line only
// when it is one printable word.
bool IsSafeWord(const std::string& text) {
    if (text.empty() || text.size() > 63) return false;
    for (unsigned char c : text)
        if (c <= 0x20 || c >= 0x7F) return false;
    return true;
}

class Lines {
public:
    explicit Lines(AppContext& ctx) : m_ctx(ctx) {}

    void Add(std::string line) { m_lines.push_back(std::move(line)); }
    static std::string Default(std::string_view var) { return "@PJL DEFAULT " + std::string(var) + " = "; }
    void Number(std::string_view var, unsigned value) { Add(Default(var) + std::to_string(value)); }
    void Text(std::string_view var, std::string_view value) { Add(Default(var) + std::string(value)); }
    // True when the keyword exists; otherwise the line is left out and the debug output says why.
    bool Keyword(std::string_view var, KeywordTable table, unsigned value) {
        auto word = KeywordAt(table, value);
        if (!word) {
            LeftOut(var, std::to_string(value) + " lies outside its table of " + std::to_string(table.size()) +
                             " entries");
            return false;
        }
        Text(var, *word);
        return true;
    }
    void LeftOut(std::string_view var, const std::string& why) {
        m_ctx.Debug("[TAV] UploadSettings: " + std::string(var) + " value " + why + "; line left out\n");
    }
    std::vector<std::string> Take() { return std::move(m_lines); }

private:
    AppContext& m_ctx;
    std::vector<std::string> m_lines;
};

// What one send composes from: the two instances, the page's flags and the model's tables.
struct Compose {
    AppContext& ctx;
    const PrinterSettings& rep;
    PrinterSettings& ed;
    const SettingsStore& st;
    const TableChoice tables;
    Lines out;

    bool Changed(const SettingField& f) const { return f.get(ed) != f.get(rep); }
};

void SendCustomSize(Compose& c) {
    c.out.Add("@PJL DEFAULT PAPER = OTHERS WIDTH =" + std::to_string(c.ed.customWidth) +
              " HEIGHT=" + std::to_string(c.ed.customHeight));
}

void SendDuplex(const SettingField& f, Compose& c, uint32_t v) {
    const KeywordTable words = f.table(c.tables);
    c.out.Text(f.name, v == 0 ? words[0] : "ON");
    if (v != 0) c.out.Text("BINDING", words[v == 1 ? 1 : 2]);
}

void SendEmulation(const SettingField& f, Compose& c, uint32_t v) {
    if (v == kPersonalityEpson)
        c.out.Text(f.name, kEpsonIbm[c.ed.epsonIbm ? 1 : 0]);
    else
        c.out.Keyword(f.name, f.table(c.tables), v);
}

void SendPowerSave(const SettingField& f, Compose& c, uint32_t v) {
    const KeywordTable times = f.table(c.tables);
    if (v == 0) {
        c.out.Text(f.name, times[0]);
    } else if (auto time = KeywordAt(times, v)) {
        c.out.Text(f.name, "ON");
        c.out.Text("POWERSAVETIME", *time);
    } else {
        // ON without a time would leave the printer's timer to chance: both lines stay out.
        c.out.LeftOut(f.name, std::to_string(v) + " lies outside its table of " + std::to_string(times.size()) +
                                  " entries");
    }
}

// Margins in tenths of an inch go out with one decimal, millimetres as whole numbers; duplex
// margins are hundredths of an inch or tenths of a millimetre, both with one decimal.
void SendMargin(const SettingField& f, Compose& c, uint32_t v, bool duplex) {
    const bool inches = c.ed.marginUnit != 0;
    if (duplex)
        c.out.Text(f.name, Fixed(v * (inches ? 0.01 : 0.1), 1, inches ? 3 : 0));
    else if (inches)
        c.out.Text(f.name, Fixed(v * 0.1, 1, 3));
    else
        c.out.Number(f.name, v);
}

void SendFont(const SettingField& f, Compose& c) {
    const PclFont font = DefaultPclFont(c.ed);
    if (font.source == FontSource::Unlisted) {
        c.out.LeftOut(f.name, std::to_string(font.number) + " names no flash font the printer listed");
        return;
    }
    c.out.Text("FONTSOURCE", font.source == FontSource::Flash ? "FFONT" : "RFONT");
    c.out.Number(f.name, font.number);
}

void SendSymbolSet(const SettingField& f, Compose& c, uint32_t v) {
    if (!c.st.useFlashSymSet)
        c.out.Keyword(f.name, f.table(c.tables), v);
    else if (IsSafeWord(c.st.flashSymSet))
        c.out.Text(f.name, c.st.flashSymSet);
    else
        c.out.LeftOut(f.name, "from the flash font is not one printable word");
}

void SendResolution(Compose& c) {
    std::string why;
    std::vector<std::string> res = ResolutionLines(c.tables.resolution, c.ed, &why);
    if (res.empty()) c.ctx.Debug("[TAV] UploadSettings: " + why + "; line left out\n");
    for (std::string& line : res) c.out.Add(std::move(line));
}

// One field's lines: first the rules that do not go by a comparison, then those that do.
void SendField(const SettingField& f, Compose& c) {
    switch (f.send) {
    case SendAs::Never:
    case SendAs::WithOther: return;
    case SendAs::PaperFlag:
        if (c.st.paperChanged) c.out.Keyword(f.name, f.table(c.tables), f.get(c.ed));
        return;
    case SendAs::CustomSize:
        if (c.st.customPaperChanged) SendCustomSize(c);
        return;
    case SendAs::Emulation:
        if (c.Changed(f) || c.ed.epsonIbm != c.rep.epsonIbm) SendEmulation(f, c, f.get(c.ed));
        return;
    case SendAs::Resolution: SendResolution(c); return;
    // Resident or flash is part of the comparison: the same number may name either.
    case SendAs::Font:
        if (DefaultFontChanged(c.ed, c.rep)) SendFont(f, c);
        return;
    default: break;
    }
    if (!c.Changed(f)) return;
    const uint32_t v = f.get(c.ed);
    switch (f.send) {
    case SendAs::Keyword: c.out.Keyword(f.name, f.table(c.tables), v); break;
    case SendAs::Number: c.out.Number(f.name, v); break;
    case SendAs::Switch: c.out.Text(f.name, f.table(c.tables)[v ? 1 : 0]); break;
    case SendAs::Margin: SendMargin(f, c, v, false); break;
    case SendAs::DuplexMargin: SendMargin(f, c, v, true); break;
    case SendAs::Duplex: SendDuplex(f, c, v); break;
    case SendAs::PowerSave: SendPowerSave(f, c, v); break;
    case SendAs::OddStep: c.out.Number(f.name, 2u * v + 1u); break;
    case SendAs::SymbolSet: SendSymbolSet(f, c, v); break;
    case SendAs::Hundredths: c.out.Text(f.name, Fixed(v * 0.01, 2)); break;
    case SendAs::Quarters: c.out.Text(f.name, Fixed(v * 0.25, 2)); break;
    case SendAs::NegativeOffset: c.out.Text(f.name, v == 0 ? "0" : "-" + std::to_string(v)); break;
    default: break;
    }
}

}  // namespace

std::vector<std::string> ComposeSettingsLines(AppContext& ctx) {
    Compose c{ctx, ctx.store.reported, ctx.store.edited, ctx.store, TableChoice::FromConfig(ctx), Lines(ctx)};
    for (const SettingField& f : SettingFields()) SendField(f, c);
    return c.out.Take();
}

int UploadSettings(AppContext& ctx) { return UploadSettings(ctx, nullptr); }

int UploadSettings(AppContext& ctx, std::string* sentJob) {
    if (sentJob) sentJob->clear();
    std::vector<std::string> lines = ComposeSettingsLines(ctx);
    lines.emplace_back("@PJL INFO PRINTER = ALL");
    const size_t length = ComposeJobLines(ctx.jobBuffer, lines);
    if (length == 0) {
        ctx.Debug("[TAV] UploadSettings: the job does not fit the job buffer; nothing sent\n");
        return 0;
    }
    const std::string job(ctx.jobBuffer.data(), length);
    if (ctx.cfg.debugMsg && ctx.ui.MessageBox(job, "PJL Data", MsgIcon::Question, MsgButtons::YesNo) != MsgResult::Yes)
        return 0;

    PortMonitorPause pause(ctx);
    const int written = ctx.link.WritePrinter(ctx.jobBuffer.data(), static_cast<uint32_t>(length));
    // A job cut short never reaches its closing query, so it counts as not written.
    if (written <= 0 || static_cast<size_t>(written) < length) return 0;
    if (sentJob) *sentJob = job;
    ctx.ui.Wait(1000);
    ctx.ui.Wait(1500);
    ctx.replyBuffer.fill(0);
    if (!ctx.link.AcquirePort()) return 0;
    int result = 1;
    if (ReadSettings(ctx) <= 0) {
        ctx.DebugIfEnabled("[TAV] ReadSetting Error\n");
        result = 0;
    }
    ctx.link.ReleasePort();
    return result;
}

}  // namespace tav
