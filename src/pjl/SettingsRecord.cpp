#include "pjl/SettingsRecord.h"

#include <algorithm>
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

// A length byte a value can have. The index alone fixes how many bytes a known field takes (some
// printers say 1 for the two bytes of the copies), but a length byte that is no width at all
// is no entry.
bool IsValueLength(uint8_t length) { return length == 1 || length == 2 || length == 4; }

// What may follow the closing entry: the zero fill, or a status message the printer sent
// unasked, which is no part of the record.
bool IsRecordTail(const ReplyBuffer& reply, size_t from) {
    static constexpr char kPjl[] = "@PJL";
    if (from + 4 <= reply.size() && std::equal(kPjl, kPjl + 4, reply.begin() + static_cast<long>(from)))
        return true;
    return std::all_of(reply.begin() + static_cast<long>(from), reply.end(), [](uint8_t b) { return b == 0; });
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

    // A record is taken only when its structure holds: every entry's length byte is a width,
    // the closing entry (a short one) is where the data ends, and the capability word that every
    // record of the family carries is there. Noise seldom passes all of it, and noise taken for
    // a record would fill both instances and decide the pages. The values are applied in index
    // order once the walk is done: a field that qualifies another (the flash flag after the
    // typeface number) then holds whatever order the printer lists them in.
    std::array<std::optional<uint32_t>, 256> values;
    size_t pos = reply[0] != 0 ? 3 : 0;
    bool ended = false, capabilities = false;
    while (pos + 2 <= reply.size()) {
        const uint8_t index = reply[pos];
        if (index == 0 && pos >= 100) break;  // ran out into the zero fill
        const unsigned width = RecordFieldWidth(index);
        const size_t valueAt = pos + 2;
        const size_t length = width ? width : reply[pos + 1];
        if (valueAt + length > reply.size()) break;  // never past the buffer
        if (index >= 200) {
            ended = (length == 0 || IsValueLength(reply[pos + 1])) && IsRecordTail(reply, valueAt + length);
            break;
        }
        if (width && !IsValueLength(reply[pos + 1])) break;
        if (width) values[index] = ReadBigEndian(&reply[valueAt], width);
        capabilities |= index == kFeatureFlagsIndex;
        pos = valueAt + length;
    }
    if (!ended || !capabilities) {
        ctx.DebugIfEnabled("[TAV] the reply is no settings record; the store keeps the last good one\n");
        return false;
    }
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i]) SetRecordField(rep, static_cast<uint8_t>(i), *values[i]);
    rep.residentFontCount = ctx.IsKalor() ? 68 : 54;
    // Once here, so every front end (with or without a Printing page) holds the field as the
    // upload spells it; both instances alike, so they stay equal after every load.
    ConvertLoadedResolution(ResolutionRules::FromConfig(ctx), rep);
    ctx.store.reported = rep;
    ctx.store.edited = rep;
    return true;
}

}  // namespace tav
