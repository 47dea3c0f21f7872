#include "pjl/SettingsRecord.h"

#include <array>
#include <cstdio>
#include <optional>

#include "pjl/Pjl.h"
#include "pjl/Resolution.h"
#include "pjl/SettingsFields.h"

namespace tav {
namespace {

// A member wider than the record's bytes keeps only what the record can hold.
uint32_t RecordBits(const SettingField& f, uint32_t value) {
    return f.width >= 4 ? value : value & ((1u << (8 * f.width)) - 1);
}

}  // namespace

unsigned RecordFieldWidth(uint8_t index) {
    const SettingField* f = FieldAtIndex(index);
    return f ? f->width : 0;
}

bool SetRecordField(PrinterSettings& s, uint8_t index, uint32_t value) {
    const SettingField* f = FieldAtIndex(index);
    if (!f) return false;
    if (f->set) f->set(s, RecordBits(*f, value));
    return true;
}

bool GetRecordField(const PrinterSettings& s, uint8_t index, uint32_t& value) {
    const SettingField* f = FieldAtIndex(index);
    if (!f || !f->get) return false;
    value = RecordBits(*f, f->get(s));
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

    // Applied in index order once the walk is done: a field that qualifies another (the flash flag
    // after the typeface number) then holds whatever order the printer lists them in.
    std::array<std::optional<uint32_t>, 256> values;
    size_t pos = reply[0] != 0 ? 3 : 0;
    bool ended = false;
    while (pos + 2 <= reply.size()) {
        const uint8_t index = reply[pos];
        if (index == 0 && pos >= 100) break;  // ran out into the zero fill
        const unsigned width = RecordFieldWidth(index);
        const size_t valueAt = pos + 2;
        const size_t length = width ? width : reply[pos + 1];
        if (valueAt + length > reply.size()) break;  // never past the buffer
        if (width) values[index] = ReadBigEndian(&reply[valueAt], width);
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
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i]) SetRecordField(rep, static_cast<uint8_t>(i), *values[i]);
    // Once here, so every front end (with or without a Printing page) holds the field as the
    // upload spells it; both instances alike, so they stay equal after every load.
    ConvertLoadedResolution(ResolutionRules::FromConfig(ctx), rep);
    ctx.store.reported = rep;
    ctx.store.edited = rep;
    return true;
}

}  // namespace tav
