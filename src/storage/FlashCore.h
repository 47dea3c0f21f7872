// What the flash fonts and macros page and the PostScript pages do to the printer, without a
// window: the jobs, their waits and questions, the macro listing and the list refresh. The pages
// and tavctl both call these, so a button and its command send the same bytes.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pjl/AppContext.h"

namespace tav {

// The FSMACROID value that clears the active macro.
inline constexpr uint16_t kNoActiveMacro = 65535;
// Fonts and macros are stored under 0 to 65534: the printer keeps none under the ID that means
// "no active macro".
inline constexpr int kFlashIdMax = kNoActiveMacro - 1;
inline bool IsFlashId(int id) {
    return id >= 0 && id <= kFlashIdMax;
}

enum class FlashJob {
    MacroInfo,  // list the macros
    DeleteFont, // one font, by ID
    DeleteFontAll,
    DeleteMacro, // one macro, by ID
    DeleteMacroAll,
    DeleteAll,   // fonts and macros
    MacroId,     // make a macro active (65535: none)
    FormatFlash, // the PostScript flash
    DeletePsFormAll,
};

struct FlashJobDef {
    FlashJob job;
    const char* questionKey; // FLASH key of the Yes/No question; nullptr when none is asked
    unsigned waitMs;         // after a whole write
    bool waitOnFailure;      // the wait is kept even when the write falls short
};

const FlashJobDef& DefOf(FlashJob job);

// Composes the job into the job buffer; its length, or 0 when it does not fit.
size_t ComposeFlashJob(JobBuffer& buffer, FlashJob job, int id = 0);
// Writes the job and waits its time. 1 when the printer took all of it.
int RunFlashJob(AppContext& ctx, FlashJob job, int id = 0);
// The job's question, when it has one; true when the answer was Yes or nothing is asked.
bool ConfirmFlashJob(AppContext& ctx, FlashJob job);

// One of the printer's flash listings as it arrived: the IDs of the whole records, in order, and
// the count the listing announced. A listing cut short announces more than it holds.
struct ListedIds {
    std::vector<uint16_t> ids;
    size_t announced = 0;
    bool Complete() const { return ids.size() >= announced; }
    bool Holds(uint16_t id) const;
    bool operator==(const ListedIds&) const = default;
};

// The FSMACROINFO reply: count then IDs, all big-endian. Only IDs wholly inside what arrived are
// taken; nothing when the reply is not 2 to 4096 bytes.
std::optional<ListedIds> ParseMacroInfo(const uint8_t* reply, size_t got);
// Writes the macro listing, waits, reads and parses it.
std::optional<ListedIds> QueryMacroInfo(AppContext& ctx);

// Queries the settings and loads them, but a field the user has changed since the last record
// (edited differs from reported) keeps its edit; every other field follows the printer.
int ReloadSettingsKeepingEdits(AppContext& ctx);

// The parts of what the printer's flash holds that a refresh reads.
enum FlashPart : unsigned { kFlashFonts = 1, kFlashActiveMacro = 2, kFlashMacros = 4, kFlashAll = 7 };

struct FlashListing {
    std::optional<ListedIds> fonts, macros; // nothing for a part not read
    std::optional<uint16_t> activeMacro;
};

// The flash page's refresh: the font listing (into the store), the settings, a settle pause and
// the macro listing, each as parts asks. Nothing when any step failed (the caller keeps what it
// shows).
std::optional<FlashListing> RefreshFlashLists(AppContext& ctx, unsigned parts = kFlashAll);

// The storage actions of the page and of tavctl, each confirmed by the listing afterwards.
enum class FlashAction {
    AddFont,
    AddMacro,
    DeleteFont,
    DeleteMacro,
    DeleteFonts,
    DeleteMacros,
    DeleteAll,
    SetActiveMacro, // kNoActiveMacro clears it
};

// The parts of the listing that show whether the action was done.
unsigned PartsOf(FlashAction action);

// One way the listing differs from what the action should have left.
struct FlashMiss {
    enum class Kind { NotListed, StillListed, NotEmpty, NotActive } kind;
    bool macro = false; // the list it concerns (NotActive: the macros)
    // NotListed, StillListed: the ID; NotEmpty: the entries listed; NotActive: the printer's
    // active macro.
    uint32_t value = 0;
    bool operator==(const FlashMiss&) const = default;
};

struct FlashCheck {
    std::vector<FlashMiss> misses;
    bool undecided = false; // a listing cut short shows neither the change nor its absence
    bool Taken() const { return misses.empty() && !undecided; }
};

// Compares the listing with what the action on id should have left: the one place the page and
// tavctl decide whether the printer did it.
FlashCheck CheckFlashChange(FlashAction action, uint16_t id, const FlashListing& listing);

// The ID a downloaded font is stored under: the typed one, unless the file opens with its own font
// ID command, which the printer takes last. (A macro's own ID command would only be part of the
// macro, so the typed ID stands.)
uint16_t StoredFontId(const std::string& path, uint16_t typed);
// The font ID command the file's first bytes open with.
std::optional<uint16_t> OwnFontId(std::string_view head);

// The printer's active macro as last reported.
inline uint16_t ActiveMacroId(const AppContext& ctx) {
    return ctx.store.reported.flashValue;
}

// The texts of a listing entry, up to their terminator and never past their field.
std::string FontName(const FlashFontEntry& f);
std::string FontSymbolSet(const FlashFontEntry& f); // trailing blanks dropped
std::string FormName(const PsFormEntry& f);
// The store's font list as far as its count says.
std::vector<FlashFontEntry> FlashFonts(const AppContext& ctx);

// Removes the entry at row from the store's font list (later entries move up).
void RemoveFlashFont(AppContext& ctx, size_t row);
void ClearFlashFonts(AppContext& ctx);

// The waits of the actions around the jobs.
inline constexpr unsigned kFlashRefreshSettleMs = 1000;
inline constexpr unsigned kMacroInfoWaitMs = 2500;
inline constexpr unsigned kFlashDownloadWaitMs = 5000;

} // namespace tav
