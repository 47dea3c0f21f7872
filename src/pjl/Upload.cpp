#include "pjl/Upload.h"

#include <charconv>

#include "pjl/Pjl.h"
#include "pjl/Resolution.h"
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

void MarginLines(Lines& out, const PrinterSettings& rep, const PrinterSettings& ed) {
    const bool inches = ed.marginUnit != 0;
    if (ed.topMargin != rep.topMargin)
        inches ? out.Text("TOPMARGIN", Fixed(ed.topMargin * 0.1, 1, 3)) : out.Number("TOPMARGIN", ed.topMargin);
    if (ed.leftMargin != rep.leftMargin)
        inches ? out.Text("LEFTMARGIN", Fixed(ed.leftMargin * 0.1, 1, 3)) : out.Number("LEFTMARGIN", ed.leftMargin);
    // Duplex margins are hundredths of an inch or tenths of a millimetre; both go out with one decimal.
    const double dupScale = inches ? 0.01 : 0.1;
    const size_t dupWidth = inches ? 3 : 0;
    if (ed.dupTopMargin != rep.dupTopMargin)
        out.Text("DUPTOPMARGIN", Fixed(ed.dupTopMargin * dupScale, 1, dupWidth));
    if (ed.dupLeftMargin != rep.dupLeftMargin)
        out.Text("DUPLEFTMARGIN", Fixed(ed.dupLeftMargin * dupScale, 1, dupWidth));
}

void FontLines(Lines& out, const PrinterSettings& ed) {
    const unsigned e = ed.fontNumber;
    if (e < ed.residentFontCount) {
        out.Text("FONTSOURCE", "RFONT");
        out.Number("FONTNUMBER", e);
        return;
    }
    const size_t flash = e - ed.residentFontCount;
    size_t listed = ed.fontList ? ed.fontList->size() : 0;
    if (ed.flashFontCount < listed) listed = ed.flashFontCount;
    if (flash >= listed) {
        out.LeftOut("FONTNUMBER", std::to_string(e) + " names flash font " + std::to_string(flash) + " of " +
                                      std::to_string(listed) + " listed");
        return;
    }
    out.Text("FONTSOURCE", "FFONT");
    out.Number("FONTNUMBER", (*ed.fontList)[flash].fontNumber);
}

}  // namespace

std::vector<std::string> ComposeSettingsLines(AppContext& ctx) {
    const PrinterSettings& rep = ctx.store.reported;
    PrinterSettings& ed = ctx.store.edited;
    const SettingsStore& st = ctx.store;
    Lines out(ctx);
#define CHANGED(m) (ed.m != rep.m)
#define KEYWORD(var, m, table) \
    if (CHANGED(m)) out.Keyword(var, table, ed.m)
#define NUMBER(var, m) \
    if (CHANGED(m)) out.Number(var, ed.m)

    // 1 to 6: colour
    if (CHANGED(calibration)) out.Text("CALIBRATION", ed.calibration ? "AUTO" : "OFF");
    if (CHANGED(customColor)) out.Text("CUSTOMCOLOR", ed.customColor ? "CMYK" : "DEFAULT");
    NUMBER("CMYK_C", cmykC);
    NUMBER("CMYK_M", cmykM);
    NUMBER("CMYK_Y", cmykY);
    NUMBER("CMYK_K", cmykK);
    // 7 and 8: the paper lines follow the page's flags, not a comparison
    if (st.paperChanged) out.Keyword("PAPER", kPaperNames, ed.paper);
    if (st.customPaperChanged)
        out.Add("@PJL DEFAULT PAPER = OTHERS WIDTH =" + std::to_string(ed.customWidth) +
                " HEIGHT=" + std::to_string(ed.customHeight));
    KEYWORD("INTRAY1SIZE", inTray1Size, kPaperNames);
    NUMBER("COPIES", copies);
    KEYWORD("ORIENTATION", orientation, kOrientation);
    KEYWORD("MEDIASOURCE", mediaSource, kPaperSource);
    MarginLines(out, rep, ed);  // 13
    if (CHANGED(duplex)) {
        if (ed.duplex == 0) {
            out.Text("DUPLEX", "OFF");
        } else {
            out.Text("DUPLEX", "ON");
            out.Text("BINDING", ed.duplex == 1 ? "LONGEDGE" : "SHORTEDGE");
        }
    }
    if (CHANGED(personality) || CHANGED(epsonIbm)) {
        if (ed.personality == 12)
            out.Text("PERSONALITY", ed.epsonIbm ? "IBM" : "EPSON");
        else
            out.Keyword("PERSONALITY", kPersonality, ed.personality);
    }
    if (CHANGED(powerSave)) {
        if (ed.powerSave == 0) {
            out.Text("POWERSAVE", "OFF");
        } else if (auto time = KeywordAt(kPowerSaveTime, ed.powerSave)) {
            out.Text("POWERSAVE", "ON");
            out.Text("POWERSAVETIME", *time);
        } else {
            // ON without a time would leave the printer's timer to chance: both lines stay out.
            out.LeftOut("POWERSAVE", std::to_string(ed.powerSave) + " lies outside its table of " +
                                         std::to_string(kPowerSaveTime.size()) + " entries");
        }
    }
    KEYWORD("AUTOCONT", autoCont, kOnOff);
    KEYWORD("DARKTEXT", darkText, kOnOff);
    KEYWORD("ALTITUDE", altitude, ctx.ConfigFlag("Config", "AltiPlain") ? kAltitudePlain : kAltitudeStandard);
    KEYWORD("ECONOMODE", economode, kOnOff);
    KEYWORD("JAMRECOVERY", jamRecovery, ctx.IsKalor() ? kJamRecoveryKalor : kOnOff);
    NUMBER("TIMEOUT", timeout);
    if (CHANGED(density)) out.Number("DENSITY", 2u * ed.density + 1u);
    KEYWORD("PAPERTYPE", paperType, ctx.ConfigFlag("JOB", "COTTON") ? kPaperTypesCotton : kPaperTypesStandard);
    KEYWORD("TRAY1PAPERTYPE", tray1PaperType, kPaperTypesStandard);
    KEYWORD("TRAY2PAPERTYPE", tray2PaperType, kPaperTypesStandard);
    KEYWORD("TRAY3PAPERTYPE", tray3PaperType, kPaperTypesStandard);
    KEYWORD("BAUDRATE", baudRate, kBaudRates);
    KEYWORD("ROBUST", robust, kOnOff);
    if (CHANGED(fontNumber)) FontLines(out, ed);  // 30
    if (CHANGED(symSet)) {
        if (!st.useFlashSymSet)
            out.Keyword("SYMSET", kSymbolSets, ed.symSet);
        else if (IsSafeWord(st.flashSymSet))
            out.Text("SYMSET", st.flashSymSet);
        else
            out.LeftOut("SYMSET", "from the flash font is not one printable word");
    }
    NUMBER("FORMLINES", formLines);
    if (CHANGED(pitch)) out.Text("PITCH", Fixed(ed.pitch * 0.01, 2));
    if (CHANGED(ptSize)) out.Text("PTSIZE", Fixed(ed.ptSize * 0.25, 2));
    KEYWORD("HANGULCODE", hangulCode, kHangulCodes);  // 35
    NUMBER("KSMODE", ksMode);
    KEYWORD("FONT", ksFont, kKoreanFonts);
    NUMBER("KSZOOM", ksZoom);
    NUMBER("KSLPI", ksLpi);
    KEYWORD("KSPITCH", ksPitch, kKoreanPitches);  // 40
    KEYWORD("KSSMPITCH", kssmPitch, kKoreanPitches);
    NUMBER("KSSMMODE", kssmMode);
    KEYWORD("AUTOWRAP", autoWrap, kOnOff);
    KEYWORD("AUTOCR", autoCr, kAutoCr);
    {  // 45: every Send carries the resolution
        std::string why;
        std::vector<std::string> res = ResolutionLines(ResolutionRules::FromConfig(ctx), ed, &why);
        if (res.empty()) ctx.Debug("[TAV] UploadSettings: " + why + "; line left out\n");
        for (std::string& line : res) out.Add(std::move(line));
    }
    KEYWORD("COURIER", courier, kCourier);
    KEYWORD("SMET", smet, kOnOff);
    NUMBER("KSMARGIN", ksMargin);
    NUMBER("KSSMMARGIN", kssmMargin);
    KEYWORD("KSSMHANGULCODE", kssmHangulCode, kHangulCodes);  // 50
    KEYWORD("KSSMFONT", kssmFont, kKoreanFonts);
    NUMBER("KSSMZOOM", kssmZoom);
    NUMBER("KSSMLPI", kssmLpi);
    KEYWORD("KSSMAUTOWRAP", kssmAutoWrap, kOnOff);
    KEYWORD("AUTOCLEAN", autoClean, kOnOff);  // 55
    KEYWORD("WIDEA4", wideA4, kOnOff);
    KEYWORD("RET", ret, kImageEnhancement);
    KEYWORD("EPSONFONT", epsonFont, kEpsonFonts);
    KEYWORD("EPSONAUTOWRAP", epsonAutoWrap, kOnOff);
    KEYWORD("EPSONCOUNTRY", epsonCountry, kEpsonCountries);  // 60
    KEYWORD("EPSONTABLE", epsonTable, kEpsonTables);
    KEYWORD("EPSONLPI", epsonLpi, kEpsonLpi);
    KEYWORD("EPSONPITCH", epsonPitch, kEpsonPitches);
    NUMBER("EPSONFORMLINE", epsonFormLine);
    if (CHANGED(epsonTopMargin))  // 65: the printer takes the top margin as a negative offset
        out.Text("EPSONTMARGIN", ed.epsonTopMargin == 0 ? "0" : "-" + std::to_string(ed.epsonTopMargin));
    if (CHANGED(ksc5895PtSize)) out.Text("KSC5895PTSIZE", Fixed(ed.ksc5895PtSize * 0.25, 2));
    KEYWORD("KSC5895HANGULCODE", ksc5895HangulCode, kHangulCodes);
    KEYWORD("KSC5895FONT", ksc5895Font, kKoreanFonts);
    NUMBER("KSC5895ZOOM", ksc5895Zoom);
    KEYWORD("KSC5895LPI", ksc5895Lpi, kKs5895Lpi);  // 70
    KEYWORD("KSC5895AUTOWRAP", ksc5895AutoWrap, kOnOff);
    KEYWORD("PRTPSERRS", prtPsErrs, kOnOff);
#undef NUMBER
#undef KEYWORD
#undef CHANGED
    return out.Take();
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
