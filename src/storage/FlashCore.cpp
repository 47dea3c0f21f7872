#include "storage/FlashCore.h"

#include <algorithm>
#include <array>

#include "pjl/Pjl.h"
#include "pjl/SettingsRecord.h"
#include "platform/UserFile.h"

namespace tav {
namespace {

constexpr std::array<FlashJobDef, 9> kJobDefs = {{
    {FlashJob::MacroInfo, nullptr, kMacroInfoWaitMs, false},
    {FlashJob::DeleteFont, "Msg_delete_font", 15000, false},
    {FlashJob::DeleteFontAll, "Msg_delete_font_all", 15000, false},
    {FlashJob::DeleteMacro, "Msg_delete_macro", 15000, false},
    {FlashJob::DeleteMacroAll, "Msg_delete_macro_all", 15000, false},
    {FlashJob::DeleteAll, "Msg_delete_fontmacro_all", 15000, false},
    {FlashJob::MacroId, nullptr, 4000, false},
    // The printer needs its time to erase whether or not it said so.
    {FlashJob::FormatFlash, "Msg_format_flash", 20000, true},
    {FlashJob::DeletePsFormAll, "Msg_delete_form_all", 5000, false},
}};

} // namespace

const FlashJobDef& DefOf(FlashJob job) {
    for (const FlashJobDef& s : kJobDefs)
        if (s.job == job) return s;
    return kJobDefs[0];
}

size_t ComposeFlashJob(JobBuffer& buffer, FlashJob job, int id) {
    const std::string n = std::to_string(id);
    switch (job) {
    case FlashJob::MacroInfo:
        return ComposeJob(buffer, {"@PJL FSMACROINFO"});
    case FlashJob::DeleteFont:
        return ComposeJob(buffer, {"@PJL FSDELETEFONT = " + n});
    case FlashJob::DeleteFontAll:
        return ComposeJob(buffer, {"@PJL FSDELETEFONTALL"});
    case FlashJob::DeleteMacro:
        return ComposeJob(buffer, {"@PJL FSDELETEMACRO = " + n});
    case FlashJob::DeleteMacroAll:
        return ComposeJob(buffer, {"@PJL FSDELETEMACROALL"});
    case FlashJob::DeleteAll:
        return ComposeJob(buffer, {"@PJL FSDELETEALL"});
    case FlashJob::MacroId:
        return ComposeJob(buffer, {"@PJL FSMACROID = " + n});
    case FlashJob::FormatFlash:
        return ComposeJob(buffer, {"@PJL FORMAT FLASH"});
    case FlashJob::DeletePsFormAll: {
        // This one command line ends in LF alone, as the printer's form store expects it.
        const std::string text = std::string(UEL) + "@PJL\r\n@PJL FSDELETEPSFORMALL\n" + std::string(UEL);
        if (text.size() > buffer.size()) return 0;
        std::copy(text.begin(), text.end(), buffer.begin());
        return text.size();
    }
    }
    return 0;
}

int RunFlashJob(AppContext& ctx, FlashJob job, int id) {
    const size_t len = ComposeFlashJob(ctx.jobBuffer, job, id);
    const int written = len ? ctx.link.WritePrinter(ctx.jobBuffer.data(), static_cast<uint32_t>(len)) : 0;
    const bool ok = len > 0 && written >= static_cast<int>(len);
    const FlashJobDef& desc = DefOf(job);
    if (ok || desc.waitOnFailure) ctx.ui.Wait(desc.waitMs);
    return ok ? 1 : 0;
}

bool ConfirmFlashJob(AppContext& ctx, FlashJob job) {
    const FlashJobDef& desc = DefOf(job);
    if (!desc.questionKey) return true;
    return ctx.Message(ctx.GetLangText("FLASH", desc.questionKey), MsgIcon::Question, MsgButtons::YesNo) ==
           MsgResult::Yes;
}

bool ListedIds::Holds(uint16_t id) const {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

std::optional<ListedIds> ParseMacroInfo(const uint8_t* reply, size_t got) {
    if (got < 2 || got > kReplyBufferSize) return std::nullopt;
    ListedIds listed;
    listed.announced = ReadBigEndian(reply, 2);
    // A count that promises more than arrived yields only the IDs that did arrive.
    const size_t whole = std::min(listed.announced, (got - 2) / 2);
    listed.ids.resize(whole);
    for (size_t i = 0; i < whole; ++i)
        listed.ids[i] = static_cast<uint16_t>(ReadBigEndian(reply + 2 + 2 * i, 2));
    return listed;
}

std::optional<ListedIds> QueryMacroInfo(AppContext& ctx) {
    if (!RunFlashJob(ctx, FlashJob::MacroInfo)) return std::nullopt;
    ctx.replyBuffer.fill(0);
    const int got =
        ctx.link.ReadPrinter(ctx.replyBuffer.data(), static_cast<uint32_t>(ctx.replyBuffer.size()));
    if (got <= 0) return std::nullopt;
    return ParseMacroInfo(ctx.replyBuffer.data(), static_cast<size_t>(got));
}

int ReloadSettingsKeepingEdits(AppContext& ctx) {
    const PrinterSettings oldReported = ctx.store.reported;
    const PrinterSettings oldEdited = ctx.store.edited;
    if (!QueryPrinterSettings(ctx)) return 0;
    // A record cut short is a failed exchange; it has left both instances as they were.
    if (!LoadSettingsRecord(ctx)) return 0;
    for (unsigned i = 0; i < 256; ++i) {
        uint32_t was = 0, edit = 0;
        const auto index = static_cast<uint8_t>(i);
        if (!GetRecordField(oldReported, index, was) || !GetRecordField(oldEdited, index, edit)) continue;
        if (was != edit) SetRecordField(ctx.store.edited, index, edit);
    }
    return 1;
}

std::optional<FlashListing> RefreshFlashLists(AppContext& ctx, unsigned parts) {
    FlashListing listing;
    if (parts & kFlashFonts) {
        if (!QueryFontInfo(ctx)) return std::nullopt;
        ListedIds& fonts = listing.fonts.emplace();
        for (const FlashFontEntry& f : FlashFonts(ctx))
            fonts.ids.push_back(f.fontId);
        fonts.announced = ctx.store.flashFontsAnnounced;
    }
    if (parts & kFlashActiveMacro) {
        if (!ReloadSettingsKeepingEdits(ctx)) return std::nullopt;
        listing.activeMacro = ActiveMacroId(ctx);
        // The printer answers the macro listing only once the settings query has settled.
        if (parts & kFlashMacros) ctx.ui.Wait(kFlashRefreshSettleMs);
    }
    if (parts & kFlashMacros) {
        if (!(listing.macros = QueryMacroInfo(ctx))) return std::nullopt;
    }
    return listing;
}

namespace {
enum class Goal { Listed, Gone, Empty, Active };

// What each action leaves, and in which parts of the listing it shows.
struct ActionGoal {
    FlashAction action;
    Goal goal;
    unsigned parts;
};
constexpr ActionGoal kActionGoals[] = {
    {FlashAction::AddFont, Goal::Listed, kFlashFonts},
    {FlashAction::AddMacro, Goal::Listed, kFlashMacros},
    {FlashAction::DeleteFont, Goal::Gone, kFlashFonts},
    {FlashAction::DeleteMacro, Goal::Gone, kFlashMacros},
    {FlashAction::DeleteFonts, Goal::Empty, kFlashFonts},
    {FlashAction::DeleteMacros, Goal::Empty, kFlashMacros},
    {FlashAction::DeleteAll, Goal::Empty, kFlashFonts | kFlashMacros},
    {FlashAction::SetActiveMacro, Goal::Active, kFlashActiveMacro},
};

const ActionGoal& GoalOf(FlashAction action) {
    for (const ActionGoal& g : kActionGoals)
        if (g.action == action) return g;
    return kActionGoals[0];
}

// One list against the goal; a part that was not read cannot tell.
void CheckList(const std::optional<ListedIds>& list, bool macro, Goal goal, uint16_t id, FlashCheck& check) {
    using Kind = FlashMiss::Kind;
    if (!list) {
        check.undecided = true;
        return;
    }
    // An entry missing from a listing cut short may be among the records that did not come.
    const bool unseen = !list->Holds(id) && !list->Complete();
    switch (goal) {
    case Goal::Listed:
        if (!list->Holds(id) && list->Complete()) check.misses.push_back({Kind::NotListed, macro, id});
        check.undecided |= unseen;
        break;
    case Goal::Gone:
        if (list->Holds(id)) check.misses.push_back({Kind::StillListed, macro, id});
        check.undecided |= unseen;
        break;
    case Goal::Empty:
        // An entry that arrived whole is left; a count alone, without its records, may be noise.
        if (!list->ids.empty())
            check.misses.push_back({Kind::NotEmpty, macro, static_cast<uint32_t>(list->ids.size())});
        check.undecided |= list->ids.empty() && !list->Complete();
        break;
    case Goal::Active:
        break;
    }
}
} // namespace

unsigned PartsOf(FlashAction action) {
    return GoalOf(action).parts;
}

FlashCheck CheckFlashChange(FlashAction action, uint16_t id, const FlashListing& l) {
    const ActionGoal& g = GoalOf(action);
    FlashCheck check;
    if (g.parts & kFlashFonts) CheckList(l.fonts, false, g.goal, id, check);
    if (g.parts & kFlashMacros) CheckList(l.macros, true, g.goal, id, check);
    if (g.parts & kFlashActiveMacro) {
        if (!l.activeMacro)
            check.undecided = true;
        else if (*l.activeMacro != id)
            check.misses.push_back({FlashMiss::Kind::NotActive, true, *l.activeMacro});
    }
    return check;
}

std::optional<uint16_t> OwnFontId(std::string_view head) {
    const std::string_view open = "\x1b*c";
    if (head.substr(0, open.size()) != open) return std::nullopt;
    uint32_t id = 0;
    size_t at = open.size();
    // Five digits at most, as the ID is typed.
    for (; at < head.size() && at < open.size() + 5 && head[at] >= '0' && head[at] <= '9'; ++at)
        id = id * 10 + static_cast<uint32_t>(head[at] - '0');
    if (at == open.size() || at >= head.size() || head[at] != 'D' || !IsFlashId(static_cast<int>(id)))
        return std::nullopt;
    return static_cast<uint16_t>(id);
}

uint16_t StoredFontId(const std::string& path, uint16_t typed) {
    char head[16] = {};
    RegularFile file(path);
    const size_t got = file.IsOpen() ? file.Read(head, sizeof head) : 0;
    return OwnFontId(std::string_view(head, got)).value_or(typed);
}

namespace {
std::string FixedText(const char* p, size_t max) {
    size_t n = 0;
    while (n < max && p[n])
        ++n;
    return std::string(p, n);
}
} // namespace

std::string FontName(const FlashFontEntry& f) {
    return FixedText(f.typeface, sizeof f.typeface);
}

std::string FontSymbolSet(const FlashFontEntry& f) {
    std::string s = FixedText(f.symbolSet, sizeof f.symbolSet);
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

std::string FormName(const PsFormEntry& f) {
    return FixedText(f.name, sizeof f.name);
}

std::vector<FlashFontEntry> FlashFonts(const AppContext& ctx) {
    const PrinterSettings& ed = ctx.store.edited;
    if (!ed.fontList) return {};
    const size_t n = std::min<size_t>(ed.flashFontCount, ed.fontList->size());
    return std::vector<FlashFontEntry>(ed.fontList->begin(), ed.fontList->begin() + static_cast<long>(n));
}

void RemoveFlashFont(AppContext& ctx, size_t row) {
    PrinterSettings& ed = ctx.store.edited;
    // Only the entries the count admits: those past it are no longer the printer's.
    auto list = std::make_shared<std::vector<FlashFontEntry>>(FlashFonts(ctx));
    if (row < list->size()) list->erase(list->begin() + static_cast<long>(row));
    ed.flashFontCount = static_cast<uint32_t>(list->size());
    ed.fontList = std::move(list);
}

void ClearFlashFonts(AppContext& ctx) {
    ctx.store.edited.flashFontCount = 0;
    ctx.store.edited.fontList = std::make_shared<std::vector<FlashFontEntry>>();
}

} // namespace tav
