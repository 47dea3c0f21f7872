// Sending one whole file to the printer as a single job: the caller's header, the file's bytes
// streamed in 4096-byte chunks, and a trailer (the UEL when there is none). No toolkit here: the
// progress dialog and tavctl both drive SendFile and only differ in how they show progress.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "pjl/AppContext.h"

namespace tav {

inline constexpr size_t kSendChunkSize = 4096;
// Sizes are 32-bit counts on the wire; a file past that cannot be described to the printer.
inline constexpr uint64_t kSendSizeLimit = 0x80000000ull;
inline constexpr unsigned kSendRetryWaitMs = 500;
inline constexpr int kSendWriteAttempts = 3;
// After the trailer the printer is given time to store what it received.
inline constexpr unsigned kSendSettleWaitMs = 30000;

enum class SendStatus {
    Complete,     // header, every chunk and the trailer went out
    OpenFailed,   // the file could not be opened; nothing sent
    TooLarge,     // 2 GiB or more; nothing sent
    NoMemory,     // no transfer buffer; nothing sent
    HeaderShort,  // the header was written short; nothing else sent
    ChunkShort,   // a chunk stayed short after its three attempts (or the link lost the stream); no trailer
    TrailerShort, // the trailer was written short
    ReadFailed,   // the file ended early or could not be read; the UEL ends the job, no trailer
};

struct SendResult {
    SendStatus status = SendStatus::OpenFailed;
    uint64_t size = 0;   // the file's size, once known
    uint64_t sent = 0;   // file bytes of the chunks that went out whole
    uint64_t handed = 0; // file bytes the link took, a short chunk's part included; how many of
                         // them reached the printer nobody can tell
};

struct SendObserver {
    // The file is open and its size known (called before the header is written).
    std::function<void(uint64_t size)> onSize;
    // A chunk went out whole: bytes sent so far and the percentage, truncated.
    std::function<void(uint64_t sent, uint64_t size, int percent)> onChunk;
    // The trailer went out; called before the settle wait.
    std::function<void()> onComplete;
};

// The size of a regular file, or nothing when it cannot be opened for reading.
std::optional<uint64_t> FileSizeForSend(const std::string& path);

// Writes header, file and trailer (nullopt: the UEL). Each chunk that is written short is
// continued where it stopped, after 500 ms, at most three attempts in all; once the link has
// lost the connection that carried the file, it takes nothing more of it, so the rest never
// reaches the printer as a job of its own. On success waits the settle time through the UiHost.
// The port is taken by each write on its own.
SendResult SendFile(AppContext& ctx, const std::string& path, std::string_view header,
                    std::optional<std::string_view> trailer, const SendObserver& observer = {});

// What the pages say of a transfer that broke off ([STRING] IDS_SEND_BROKEN): how much of the file
// the link took, and that it must be sent again.
std::string SendBrokenText(const AppContext& ctx, const SendResult& result);

// True when text can stand inside one PJL line: no CR, LF or other control character.
bool IsPjlLineSafe(std::string_view text);

// Download IDs are typed as at most five digits.
inline constexpr int kDownloadIdMax = 99999;
// Parses an ID of one to five digits; nothing otherwise.
std::optional<int> ParseDownloadId(std::string_view text);

// The download headers and the macro trailer, as the callers hand them to SendFile.
std::string FontDownloadHeader(int id);
std::string MacroDownloadHeader(int id);
std::string MacroDownloadTrailer();
// Sized to the path; nothing when the path cannot stand in a PJL line.
std::optional<std::string> FormDownloadHeader(const std::string& path, uint64_t size);

} // namespace tav
