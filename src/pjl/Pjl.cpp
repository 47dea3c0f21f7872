#include "pjl/Pjl.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace tav {
namespace {

bool Append(JobBuffer& job, size_t& len, std::string_view text) {
    if (len + text.size() > job.size()) return false;
    std::memcpy(job.data() + len, text.data(), text.size());
    len += text.size();
    return true;
}

template <typename Lines>
size_t Compose(JobBuffer& job, const Lines& lines) {
    size_t len = 0;
    bool ok = Append(job, len, UEL) && Append(job, len, "@PJL\r\n");
    for (std::string_view line : lines) ok = ok && Append(job, len, line) && Append(job, len, "\r\n");
    ok = ok && Append(job, len, UEL);
    return ok ? len : 0;
}

int WriteJob(AppContext& ctx, size_t len) {
    if (len == 0) return 0;
    return ctx.link.WritePrinter(ctx.jobBuffer.data(), static_cast<uint32_t>(len));
}

// Query exchange shared by the settings query and Default: pause, write, wait, clear, read, resume.
int QueryExchange(AppContext& ctx, std::initializer_list<std::string_view> lines, unsigned waitMs) {
    PortMonitorPause pause(ctx);
    if (WriteJob(ctx, ComposeJob(ctx.jobBuffer, lines)) == 0) return 0;
    ctx.ui.Wait(waitMs);
    ctx.replyBuffer.fill(0);
    return ReadSettings(ctx) > 0 ? 1 : 0;
}

}  // namespace

size_t ComposeJob(JobBuffer& job, std::initializer_list<std::string_view> lines) { return Compose(job, lines); }

size_t ComposeJobLines(JobBuffer& job, const std::vector<std::string>& lines) { return Compose(job, lines); }

void NotifyPortMonitor(AppContext& ctx, bool resume) {
    if (ctx.portMonitor) ctx.portMonitor->Notify(resume);
}

int ReadSettings(AppContext& ctx) {
    if (ctx.cfg.readDelay) ctx.ui.Wait(ctx.cfg.readDelay);
    int count = ctx.link.ReadPrinter(ctx.replyBuffer.data(), static_cast<uint32_t>(ctx.replyBuffer.size()));
    if (ctx.cfg.debugMsg) {
        HexDump(ctx, ctx.replyBuffer.data(), ctx.replyBuffer.size());
        ctx.Debug("[TAV] ReadSettings bRet : " + std::to_string(count) + "\n");
    }
    return count;
}

int QueryPrinterSettings(AppContext& ctx) { return QueryExchange(ctx, {"@PJL INFO PRINTER = ALL"}, 2000); }

int InitializePrinter(AppContext& ctx) {
    return QueryExchange(ctx, {"@PJL INITIALIZE", "@PJL INFO PRINTER = ALL"}, 4000);
}

std::optional<std::string> SendTestPrint(AppContext& ctx, std::string_view name) {
    PortMonitorPause pause(ctx);
    std::string line = "@PJL TEST PRINT = ";
    line += name;
    if (WriteJob(ctx, ComposeJob(ctx.jobBuffer, {line})) == 0) return std::nullopt;
    ctx.ui.Wait(1000);
    return std::string(name);
}

int QueryFontInfo(AppContext& ctx) {
    const size_t len = ComposeJob(ctx.jobBuffer, {"@PJL FSFONTINFO"});
    if (len == 0 || static_cast<size_t>(WriteJob(ctx, len)) < len) return 0;
    ctx.ui.Wait(1000);
    auto& reply = ctx.replyBuffer;
    const size_t cap = reply.size();
    size_t got = static_cast<size_t>(ctx.link.ReadPrinter(reply.data(), static_cast<uint32_t>(cap)));
    if (got < 2) return 0;
    const uint32_t count = ReadBigEndian(reply.data(), 2);
    ctx.store.edited.flashFontCount = count;
    ctx.store.flashFontsAnnounced = count;
    if (count == 0) return 1;
    const size_t expected = 2 + 26 * static_cast<size_t>(count);
    if (got < expected && got < cap) {
        ctx.ui.Wait(500);
        // The missing part goes right after what came, but never past the buffer's end.
        size_t want = std::min(expected, cap) - got;
        int more = ctx.link.ReadPrinter(reply.data() + got, static_cast<uint32_t>(want));
        if (more > 0) got += static_cast<size_t>(more);
    }
    // Only records that lie wholly inside what arrived and inside the buffer are taken.
    const size_t whole = std::min<size_t>(count, (std::min(got, cap) - 2) / 26);
    // The list holds just the records taken, and the count says so, so no reader meets an
    // entry the printer never sent.
    auto list = std::make_shared<std::vector<FlashFontEntry>>(whole);
    for (size_t i = 0; i < whole; ++i) {
        const uint8_t* rec = reply.data() + 2 + 26 * i;
        FlashFontEntry& e = (*list)[i];
        e.fontNumber = rec[0];
        e.fontId = static_cast<uint16_t>(ReadBigEndian(rec + 1, 2));
        std::memcpy(e.typeface, rec + 3, 20);
        std::memcpy(e.symbolSet, rec + 23, 3);
    }
    ctx.store.edited.flashFontCount = static_cast<uint32_t>(whole);
    ctx.store.edited.fontList = std::move(list);
    return 1;
}

int QueryFormInfo(AppContext& ctx, ListingShape* shape) {
    if (shape) *shape = {};
    const size_t len = ComposeJob(ctx.jobBuffer, {"@PJL FSPSFORMINFO"});
    if (len == 0 || static_cast<size_t>(WriteJob(ctx, len)) < len) {
        ctx.DebugIfEnabled("Write error - FSPSFORMINFO\n");
        return 0;
    }
    ctx.ui.Wait(2000);
    auto& reply = ctx.replyBuffer;
    const int got = ctx.link.ReadPrinter(reply.data(), static_cast<uint32_t>(reply.size()));
    ctx.DebugIfEnabled("FSPSFORMINFO read bytes = " + std::to_string(got) + "\n");
    if (got <= 3 || got > static_cast<int>(reply.size())) return 0;
    const uint32_t count = ReadBigEndian(reply.data(), 4);
    ctx.DebugIfEnabled("FSPSFORMINFO Count = " + std::to_string(static_cast<int32_t>(count)) + "\n");
    // A negative count (top bit set) is an empty list, as the printer means it; anything else
    // above 64 is refused and the previous count kept.
    const bool empty = (count & 0x80000000u) != 0 || count == 0;
    if (!empty && count > 64) return 0;
    std::vector<PsFormEntry> forms(empty ? 0 : count);
    if (empty) {
        ctx.store.edited.formCount = 0;
        ctx.store.formList = std::move(forms);
        return 1;
    }
    const size_t end = static_cast<size_t>(got);
    size_t pos = 4;
    size_t filled = 0;
    for (; filled < count; ++filled) {
        if (pos + 8 > end) break;
        const uint32_t recLen = ReadBigEndian(reply.data() + pos, 4);
        const uint32_t size = ReadBigEndian(reply.data() + pos + 4, 4);
        if (recLen < 4) break;
        const size_t nameLen = recLen - 4;
        // A name that would not fit its field (64 bytes fill it), or that runs past the reply,
        // ends the listing.
        if (nameLen > sizeof(PsFormEntry::name) || pos + 8 + nameLen > end) break;
        std::memcpy(forms[filled].name, reply.data() + pos + 8, nameLen);
        forms[filled].size = size;
        pos += static_cast<size_t>(recLen) + 4;
    }
    // Only the records that arrived whole: a listing cut short must not leave empty entries.
    if (filled < count)
        ctx.DebugIfEnabled("FSPSFORMINFO took " + std::to_string(filled) + " of " + std::to_string(count) +
                           " forms\n");
    if (shape) *shape = {count, filled};
    forms.resize(filled);
    ctx.store.edited.formCount = static_cast<uint32_t>(filled);
    ctx.store.formList = std::move(forms);
    return 1;
}

void HexDump(const AppContext& ctx, const uint8_t* data, size_t count) {
    for (const std::string& row : HexDumpRows(data, count)) ctx.Debug(row);
}

int PrintPrinterList(AppContext& ctx, const char* name, const std::function<void()>& onFailure) {
    if (!ctx.link.AcquirePort()) return 0;
    int ok = 0;
    {
        WaitCursor cursor(ctx.ui);
        if (SendTestPrint(ctx, name)) {
            // The printer is busy printing the list; the user waits with it.
            ctx.ui.Wait(kListPrintWaitMs);
            ok = 1;
        } else if (onFailure) {
            onFailure();
        }
        ctx.link.ReleasePort();
    }
    return ok;
}

}  // namespace tav
