#include "storage/FileSend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>

#include "pjl/Pjl.h"
#include "platform/UserFile.h"

namespace tav {
namespace {

// One chunk, continued where a short write stopped, after a pause, at most three attempts; the
// bytes the link took.
size_t WriteWithRetries(AppContext& ctx, const uint8_t* data, size_t n) {
    size_t done = 0;
    for (int attempt = 0; attempt < kSendWriteAttempts && done < n; ++attempt) {
        if (attempt > 0) ctx.ui.Wait(kSendRetryWaitMs);
        const int w = ctx.link.WritePrinter(data + done, static_cast<uint32_t>(n - done));
        // A library that claims more than it was given is taken at the length it was given.
        if (w > 0) done += std::min(static_cast<size_t>(w), n - done);
    }
    return done;
}

bool WriteAll(AppContext& ctx, std::string_view text) {
    if (text.empty()) return true;
    return ctx.link.WritePrinter(text.data(), static_cast<uint32_t>(text.size())) >=
           static_cast<int>(text.size());
}

} // namespace

std::optional<uint64_t> FileSizeForSend(const std::string& path) {
    RegularFile file(path);
    return file.Size();
}

SendResult SendFile(AppContext& ctx, const std::string& path, std::string_view header,
                    std::optional<std::string_view> trailer, const SendObserver& observer) {
    SendResult result;
    RegularFile file(path);
    const std::optional<uint64_t> size = file.Size();
    if (!size) return result;
    result.size = *size;
    if (*size >= kSendSizeLimit) {
        result.status = SendStatus::TooLarge;
        return result;
    }
    if (observer.onSize) observer.onSize(*size);
    WaitCursor cursor(ctx.ui);

    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kSendChunkSize]());
    if (!buffer) {
        result.status = SendStatus::NoMemory;
        return result;
    }
    if (!WriteAll(ctx, header)) {
        result.status = SendStatus::HeaderShort;
        return result;
    }
    while (result.sent < *size) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(*size - result.sent, kSendChunkSize));
        const size_t n = file.Read(buffer.get(), want);
        if (n == 0) {
            // The file shrank under us: what was promised in a size line cannot be kept. The job
            // is still ended with the UEL, never the caller's trailer, so the printer leaves the
            // download and takes the next job as a job of its own, not as more of this file.
            result.status = SendStatus::ReadFailed;
            WriteAll(ctx, UEL);
            return result;
        }
        const size_t took = WriteWithRetries(ctx, buffer.get(), n);
        result.handed += took;
        if (took < n) {
            result.status = SendStatus::ChunkShort;
            return result;
        }
        result.sent += n;
        const int percent =
            static_cast<int>(static_cast<double>(result.sent) / static_cast<double>(*size) * 100.0);
        if (observer.onChunk) observer.onChunk(result.sent, *size, percent);
    }
    if (!WriteAll(ctx, trailer ? *trailer : UEL)) {
        result.status = SendStatus::TrailerShort;
        return result;
    }
    result.status = SendStatus::Complete;
    if (observer.onComplete) observer.onComplete();
    ctx.ui.Wait(kSendSettleWaitMs);
    return result;
}

std::string SendBrokenText(const AppContext& ctx, const SendResult& result) {
    return FillLangText(ctx.GetLangText("STRING", "IDS_SEND_BROKEN"),
                        {std::to_string(result.handed), std::to_string(result.size)});
}

bool IsPjlLineSafe(std::string_view text) {
    for (unsigned char c : text)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

std::optional<int> ParseDownloadId(std::string_view text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

std::string FontDownloadHeader(int id) {
    return "@PJL FSDOWNLOADFONT\r\n\x1b*c" + std::to_string(id) + "D";
}

std::string MacroDownloadHeader(int id) {
    return "@PJL FSDOWNLOADMACRO\r\n\x1b&f" + std::to_string(id) + "Y\x1b&f0X";
}

std::string MacroDownloadTrailer() {
    return "\x1b&f1X" + std::string(UEL);
}

std::optional<std::string> FormDownloadHeader(const std::string& path, uint64_t size) {
    if (!IsPjlLineSafe(path) || size >= kSendSizeLimit) return std::nullopt;
    return "@PJL SET PSFORMNAME=" + path + "\n@PJL SET PSFORMSIZE=" + std::to_string(size) +
           "\n@PJL FSDOWNLOADPSFORM\r\n";
}

} // namespace tav
