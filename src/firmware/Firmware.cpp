#include "firmware/Firmware.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <new>
#include <vector>

#include "platform/UserFile.h"

namespace tav {

namespace {

// Holds the port for the whole transfer; given back on every path out.
class PortHold {
  public:
    explicit PortHold(Link& link) : m_link(link), m_held(link.AcquirePort() != 0) {}
    ~PortHold() { Release(); }
    PortHold(const PortHold&) = delete;
    PortHold& operator=(const PortHold&) = delete;
    bool Held() const { return m_held; }
    void Release() {
        if (m_held) m_link.ReleasePort();
        m_held = false;
    }

  private:
    Link& m_link;
    bool m_held;
};

// What one WritePrinter call took, never more than it was given.
uint32_t Written(int count, uint32_t asked) {
    return count <= 0 ? 0 : std::min(static_cast<uint32_t>(count), asked);
}

} // namespace

std::optional<uint64_t> FirmwareFileSize(const std::string& path) {
    return RegularFile(path).Size();
}

std::string FirmwareSizeText(const AppContext& ctx, uint64_t size) {
    return std::to_string(size) + " " + ctx.GetLangText("FWUP", "IDS_BYTES", 31);
}

int FirmwarePercent(uint64_t sent, uint64_t size) {
    if (size == 0) return 0;
    return sent >= size ? 100 : static_cast<int>(sent * 100 / size);
}

bool ConfirmFirmwareUpdate(AppContext& ctx, const std::string& path, uint64_t size) {
    const std::string text =
        FillLangText(ctx.GetLangText("FWUP", "IDS_CONFIRM"), {path, FirmwareSizeText(ctx, size)});
    return ctx.Message(text, MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes;
}

FirmwareOutcome SendFirmware(AppContext& ctx, const std::string& path, const FirmwareObserver& observer) {
    FirmwareOutcome outcome;
    auto message = [&](const char* key) {
        if (observer.message) observer.message(ctx.GetLangText("COMMON", key));
    };
    // The size and the bytes come from one open file, which is never a FIFO or a device.
    RegularFile file(path);
    const std::optional<uint64_t> size = file.Size();
    if (!size) {
        outcome.result = FirmwareResult::CannotOpen;
        ctx.Message(FillLangText(ctx.GetLangText("FWUP", "IDS_CANNOT_OPEN"), {path}), MsgIcon::Error);
        return outcome;
    }
    outcome.size = *size;
    // Nothing to send is not an update: the printer would be told nothing and the user "done".
    if (outcome.size == 0) {
        outcome.result = FirmwareResult::EmptyFile;
        ctx.Message(FillLangText(ctx.GetLangText("FWUP", "IDS_EMPTY_FILE"), {path}), MsgIcon::Error);
        return outcome;
    }
    if (observer.confirm && !observer.confirm(outcome.size)) {
        outcome.result = FirmwareResult::Declined;
        return outcome;
    }

    PortHold hold(ctx.link);
    if (!hold.Held()) {
        outcome.result = FirmwareResult::PortBusy;
        message("IDS_STRING102");
        return outcome;
    }
    WaitCursor cursor(ctx.ui);
    std::vector<char> buffer;
    try {
        buffer.assign(kFirmwareChunkSize, 0);
    } catch (const std::bad_alloc&) {
        outcome.result = FirmwareResult::NoBuffer;
        message("IDS_STRING102");
        return outcome;
    }

    FirmwareProgress progress;
    progress.size = outcome.size;
    if (observer.progress) observer.progress(progress);
    ctx.ui.Wait(kFirmwareStartWaitMs);

    bool failed = false;
    while (progress.sent < outcome.size) {
        // Only the bytes the size promised: a file that grows meanwhile sends no more, and one
        // that shrinks ends the update as failed instead of sending nothing for ever.
        const auto want =
            static_cast<uint32_t>(std::min<uint64_t>(kFirmwareChunkSize, outcome.size - progress.sent));
        const auto n = static_cast<uint32_t>(file.Read(buffer.data(), want));
        if (n == 0) {
            failed = true;
            break;
        }
        uint32_t done = Written(ctx.link.WritePrinter(buffer.data(), n), n);
        if (done < n) {
            ctx.ui.Wait(kFirmwareRetryWaitMs);
            const uint32_t second = Written(ctx.link.WritePrinter(buffer.data() + done, n - done), n - done);
            done += second;
            if (second == 0) {
                ctx.ui.Wait(kFirmwareRetryWaitMs);
                done += Written(ctx.link.WritePrinter(buffer.data() + done, n - done), n - done);
            }
        }
        outcome.written += done;
        if (done < n) {
            failed = true;
            break;
        }
        progress.sent += n;
        progress.percent = FirmwarePercent(progress.sent, outcome.size);
        progress.messageLine =
            std::to_string(progress.sent) + " " + ctx.GetLangText("COMMON", "IDS_STRING104");
        if (observer.progress) observer.progress(progress);
    }

    if (failed) {
        outcome.result = FirmwareResult::Failed;
        message("IDS_STRING102");
        hold.Release();
        // A printer left with part of its firmware may not start again: the user must hear that.
        if (outcome.written > 0)
            ctx.Message(FillLangText(ctx.GetLangText("FWUP", "IDS_PARTIAL"),
                                     {std::to_string(outcome.written), std::to_string(outcome.size)}),
                        MsgIcon::Error);
        return outcome;
    }
    message("IDS_STRING105");
    // The port stays held while the printer programs itself: no job of another program may
    // reach it then.
    ctx.ui.Wait(kFirmwareProgramWaitMs);
    hold.Release();
    outcome.result = FirmwareResult::Updated;
    ctx.Message(ctx.GetLangText("COMMON", "IDS_STRING106"), MsgIcon::None);
    return outcome;
}

} // namespace tav
