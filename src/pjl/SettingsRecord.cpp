#include "pjl/SettingsRecord.h"

#include <cstdio>

#include "pjl/Pjl.h"
#include "pjl/Resolution.h"

namespace tav {
namespace {

struct Field {
    unsigned width;
    void* target;
};

Field FieldOf(PrinterSettings& s, uint8_t index) {
    switch (index) {
#define F(i, member) \
    case i: return {sizeof(s.member), &s.member};
        F(0, paper) F(1, inTray1Size) F(2, copies) F(3, orientation) F(4, mediaSource) F(5, topMargin)
        F(6, leftMargin) F(7, duplex) F(8, personality) F(9, kept9) F(10, kept10) F(11, powerSave)
        F(12, autoCont) F(13, economode) F(14, jamRecovery) F(15, kept15) F(16, kept16) F(17, ret)
        F(18, timeout) F(19, density) F(20, paperType) F(22, kept22) F(23, baudRate) F(24, robust)
        F(30, fontNumber) F(31, symSet) F(32, formLines) F(33, pitch) F(34, ptSize) F(35, hangulCode)
        F(36, ksFont) F(37, ksZoom) F(38, ksLpi) F(39, ksPitch) F(40, kssmPitch) F(41, autoWrap)
        F(42, autoCr) F(43, ksc5895PtSize) F(44, ksc5895Lpi) F(45, ksc5895HangulCode) F(47, ksc5895Zoom)
        F(48, ksc5895AutoWrap) F(50, prtPsErrs) F(52, kept52) F(53, resolution) F(54, courier) F(55, smet)
        F(56, ksMargin) F(57, kssmMargin) F(58, kssmHangulCode) F(59, kssmFont) F(60, kssmZoom)
        F(61, kssmLpi) F(62, kssmAutoWrap) F(63, autoClean) F(64, customWidth) F(65, customHeight)
        F(66, epsonFont) F(67, epsonFormLine) F(68, epsonAutoWrap) F(71, epsonCountry) F(72, epsonTable)
        F(73, epsonLpi) F(74, epsonPitch) F(75, epsonTopMargin) F(77, epsonIbm) F(86, darkText)
        F(87, altitude) F(90, pclPageValue) F(91, flashValue) F(92, tray1PaperType) F(93, tray2PaperType)
        F(94, tray3PaperType) F(95, dupTopMargin) F(96, dupLeftMargin) F(97, marginUnit) F(100, wideA4)
        F(126, ksMode) F(127, kssmMode) F(151, calibration) F(152, customColor) F(153, cmykC)
        F(154, cmykM) F(155, cmykY) F(156, cmykK) F(198, featureFlags) F(199, kept199)
#undef F
    case 25: case 26: case 27: case 28: case 29: return {1, &s.kept25to29[index - 25]};
    case 46: return {1, &s.ksc5895Font};  // one byte, held in a 2-byte field
    case 51: return {4, nullptr};         // four bytes, no field
    case 190: case 191: case 192: case 193: case 194: return {4, &s.kept190to194[index - 190]};
    default: return {0, nullptr};
    }
}

}  // namespace

unsigned RecordFieldWidth(uint8_t index) {
    PrinterSettings s;
    return FieldOf(s, index).width;
}

bool SetRecordField(PrinterSettings& s, uint8_t index, uint32_t value) {
    Field f = FieldOf(s, index);
    if (f.width == 0) return false;
    if (!f.target) return true;
    if (index == 46) {
        s.ksc5895Font = static_cast<uint16_t>(value & 0xFF);
    } else if (f.width == 1) {
        *static_cast<uint8_t*>(f.target) = static_cast<uint8_t>(value);
    } else if (f.width == 2) {
        *static_cast<uint16_t*>(f.target) = static_cast<uint16_t>(value);
    } else {
        *static_cast<uint32_t*>(f.target) = value;
    }
    return true;
}

bool GetRecordField(const PrinterSettings& s, uint8_t index, uint32_t& value) {
    PrinterSettings copy = s;
    Field f = FieldOf(copy, index);
    if (f.width == 0 || !f.target) return false;
    if (index == 46) value = s.ksc5895Font & 0xFFu;
    else if (f.width == 1) value = *static_cast<const uint8_t*>(f.target);
    else if (f.width == 2) value = *static_cast<const uint16_t*>(f.target);
    else value = *static_cast<const uint32_t*>(f.target);
    return true;
}

std::string SettingsRecordDump(const ReplyBuffer& reply) {
    std::string text;
    size_t pos = 0;
    int entries = 0;
    while (pos + 2 <= reply.size() && text.size() <= 4000) {
        const uint8_t index = reply[pos], len = reply[pos + 1];
        uint32_t value = 0xFFFFFFFFu;
        size_t next = pos + 2;
        if ((len == 1 || len == 2 || len == 4) && next + len <= reply.size()) {
            value = ReadBigEndian(&reply[next], len);
            next += len;
        }
        char entry[48];
        std::snprintf(entry, sizeof entry, "Index %d(%d) = %X\t", index, len, static_cast<unsigned>(value));
        text += entry;
        if (++entries % 5 == 0) text += "\n";
        if (index >= 250) break;
        pos = next;
    }
    return text;
}

bool LoadSettingsRecord(AppContext& ctx) {
    const ReplyBuffer& reply = ctx.replyBuffer;
    if (ctx.cfg.debugMsg) {
        ctx.ui.MessageBox(SettingsRecordDump(reply), "Printer data", MsgIcon::None, MsgButtons::Ok);
    }
    const PrinterSettings& ed = ctx.store.edited;
    // Parsed aside: a record cut short or garbled must not leave the store half new, half old,
    // or the next Send would reset every field the record did not reach.
    PrinterSettings rep;
    rep.fontList = ed.fontList;
    rep.flashFontCount = ed.flashFontCount;
    rep.formCount = ed.formCount;
    rep.residentFontCount = ctx.IsKalor() ? 68 : 54;

    size_t pos = reply[0] != 0 ? 3 : 0;
    bool ended = false;
    while (pos + 2 <= reply.size()) {
        const uint8_t index = reply[pos];
        if (index == 0 && pos >= 100) break;  // ran out into the zero fill
        const unsigned width = RecordFieldWidth(index);
        const size_t valueAt = pos + 2;
        const size_t length = width ? width : reply[pos + 1];
        if (valueAt + length > reply.size()) break;  // never past the buffer
        if (width) SetRecordField(rep, index, ReadBigEndian(&reply[valueAt], width));
        pos = valueAt + length;
        if (index >= 200) {
            ended = true;
            break;
        }
    }
    if (!ended) {
        ctx.Debug("[TAV] settings record does not end properly; the store keeps the last good one\n");
        return false;
    }
    // Once here, so every front end (with or without a Printing page) holds the field as the
    // upload spells it; both instances alike, so they stay equal after every load.
    ConvertLoadedResolution(ResolutionRules::FromConfig(ctx), rep);
    ctx.store.reported = rep;
    ctx.store.edited = rep;
    return true;
}

}  // namespace tav
