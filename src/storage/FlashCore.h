// What the flash fonts and macros page and the PostScript pages do to the printer, without a
// window: the jobs, their waits and questions, the macro listing and the list refresh. The pages
// and tavctl both call these, so a button and its command send the same bytes.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
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

// The FSMACROINFO reply: count then IDs, all big-endian. Only IDs wholly inside what arrived are
// taken; nothing when the reply is not 2 to 4096 bytes.
std::optional<std::vector<uint16_t>> ParseMacroInfo(const uint8_t* reply, size_t got);
// Writes the macro listing, waits, reads and parses it.
std::optional<std::vector<uint16_t>> QueryMacroInfo(AppContext& ctx);

// Queries the settings and loads them, but a field the user has changed since the last record
// (edited differs from reported) keeps its edit; every other field follows the printer.
int ReloadSettingsKeepingEdits(AppContext& ctx);

// The flash page's refresh: the font listing, the settings, a settle pause and the macro
// listing. Nothing when any step failed (the caller keeps what it shows).
std::optional<std::vector<uint16_t>> RefreshFlashLists(AppContext& ctx);

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
