// The firmware download: a file written to the printer unchanged, streamed in chunks, then a
// wait while the printer programs itself. Plain C++, shared by the firmware page and tavctl.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pjl/AppContext.h"
#include "platform/LangText.h"

namespace tav {

inline constexpr size_t kFirmwareChunkSize = 4096;
inline constexpr unsigned kFirmwareStartWaitMs = 5000;    // before the first chunk
inline constexpr unsigned kFirmwareRetryWaitMs = 1000;    // before each rewrite of a short chunk
inline constexpr unsigned kFirmwareProgramWaitMs = 40000; // the printer programs itself

// The size of a regular file that can be opened for reading; nothing otherwise (a folder, a
// missing file, one without read permission).
std::optional<uint64_t> FirmwareFileSize(const std::string& path);

// The file information text: the size and [FWUP] IDS_BYTES, as "%d %s".
std::string FirmwareSizeText(const AppContext& ctx, uint64_t size);

// Whole percent of size that sent is; 0 for an empty size.
int FirmwarePercent(uint64_t sent, uint64_t size);

// The transfer's report after each chunk: what the page shows and tavctl prints.
struct FirmwareProgress {
    uint64_t sent = 0;
    uint64_t size = 0;
    int percent = 0;
    std::string messageLine; // "%d " with the bytes sent, then [COMMON] IDS_STRING104
};

struct FirmwareObserver {
    // After the file was opened and its size found, before the first wait; false stops the update
    // with nothing sent. Absent: the update goes on (the unattended mode, tavctl --yes).
    std::function<bool(uint64_t size)> confirm;
    // The progress reset to 0 before the first chunk, then once after every chunk.
    std::function<void(const FirmwareProgress&)> progress;
    // A new message line text ([COMMON] IDS_STRING102 or IDS_STRING105).
    std::function<void(const std::string&)> message;
};

enum class FirmwareResult {
    Updated,    // every byte sent and the programming time waited
    CannotOpen, // the file cannot be opened (message shown); nothing sent
    EmptyFile,  // the file holds no byte (message shown); nothing sent
    Declined,   // the confirm question was answered No
    PortBusy,   // the port could not be held (the busy message shown); nothing sent
    NoBuffer,   // no transfer buffer; nothing sent
    Failed,     // a chunk stayed short, or the file could not be read to its end
};

struct FirmwareOutcome {
    FirmwareResult result = FirmwareResult::Failed;
    uint64_t size = 0;
    uint64_t written = 0; // bytes the device library took, a short chunk's part included
};

// The Yes/No question of the normal page, naming the file and its size. True for Yes.
bool ConfirmFirmwareUpdate(AppContext& ctx, const std::string& path, uint64_t size);

// Sends the file at path to the printer. The port is held for the whole transfer and the
// programming time, so no other program's job lands between two chunks; every chunk's own
// write still takes and gives back the port once more. A short chunk is written again once
// after a wait, and a third time when that second write took nothing; once the link has lost
// the connection that carried the image it takes nothing more of it, so the rest never reaches
// the printer as a job of its own. On success the finished message ([COMMON] IDS_STRING106) is
// shown with an OK button; on a failure after part of the file was handed to the link, a
// message ([FWUP] IDS_PARTIAL) says how much, that the printer may hold part of it and must
// stay on until it is sent again.
FirmwareOutcome SendFirmware(AppContext& ctx, const std::string& path, const FirmwareObserver& observer);

} // namespace tav
