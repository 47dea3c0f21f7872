// What the PostScript font and form manager says to the printer and how it reads the answers:
// the storage the printer offers, the stored fonts and forms, total and free space, storing and
// deleting a file, and the storage report. The page and tavctl share it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pjl/AppContext.h"
#include "storage/FileSend.h"
#include "storage/FmuLog.h"

namespace tav {

enum FmuDataType : int32_t { FMU_DATA_FONT = 0, FMU_DATA_FORM = 1 };
enum FmuTarget : int { FMU_SELECTED_TARGET_DIMM = 0, FMU_SELECTED_TARGET_HDD = 1 };

struct FmuFileEntry {
    std::string name;
    int32_t type = FMU_DATA_FONT;
    bool operator==(const FmuFileEntry&) const = default;
};

// The storage targets: memory and hard disk, each named in PJL (root) and in PostScript (prefix).
struct FmuTargetInfo {
    const char* logName;
    const char* pjlRoot;
    const char* psPrefix;
    const char* sizeQuery;
    size_t sizeRecord; // bytes of the size reply
    size_t sizeOffset; // where its total field starts (free follows)
    size_t infoRecord; // bytes of the file count reply
    size_t infoOffset; // where its count field starts (the listing size follows)
};
const FmuTargetInfo& TargetInfo(int target);
const char* FolderFor(int32_t type); // "fonts" or "forms"

inline constexpr size_t kFmuNumberField = 16;
inline constexpr int32_t kMinListingBytes = 45;
inline constexpr int32_t kMaxListingBytes = 20480;
// The page takes no more files once the printer holds this many.
inline constexpr size_t kFmuEntryLimit = 20;

// Decimal number of a fixed field: leading blanks skipped, stops at the first non-digit.
int64_t ParseFieldNumber(const uint8_t* field, size_t length);
// 1234567 -> "1,234,567".
std::string FormatThousands(uint64_t value);
// A name made safe inside a PostScript string: backslash and parentheses escaped, every byte
// outside printable ASCII as a three-digit octal escape.
std::string PsStringEscape(std::string_view name);
// The file entries of a directory listing (lines ending in LF, ended by a form feed at the start
// of a line or by the end of the buffer).
std::vector<FmuFileEntry> ParseDirListing(const uint8_t* data, size_t length, int32_t type);

// Jobs, byte for byte.
std::string ReceivingProgram(int target, int32_t type, std::string_view name);
std::string DeleteProgram(int target, int32_t type, std::string_view name);

struct FmuSizes {
    uint64_t totalKb = 0;
    uint64_t freeKb = 0;
};

// Sends one file as header + file bytes + the UEL; returns 1 when the whole job was written.
// Without one, the file goes through SendFile with no window.
using FmuFileSender = std::function<int(const std::string& path, const std::string& header)>;

class FmuProtocol {
  public:
    FmuProtocol(AppContext& ctx, FmuLog& log) : m_ctx(ctx), m_log(log) {}

    void SetTarget(int target) { m_target = target == FMU_SELECTED_TARGET_HDD ? 1 : 0; }
    int Target() const { return m_target; }
    void SetSender(FmuFileSender sender) { m_sender = std::move(sender); }

    // 0 none, 1 memory only, 2 hard disk only, 3 both.
    int CheckSystem();
    // True when the last query's job was written short or its reply never came whole, as opposed
    // to a reply that said no.
    bool LastExchangeFailed() const { return m_exchangeFailed; }
    // Append the target's fonts (forms) to list; 1 on success.
    int LoadFontListFromDevice(std::vector<FmuFileEntry>& list);
    int LoadFormListFromDevice(std::vector<FmuFileEntry>& list);
    // Free kilobytes of the target, 0 on failure.
    uint64_t GetSysAvailableMemory();
    // The size query without the message box; false when it failed (showError: the printer box on
    // a failed exchange, as the page does).
    bool QuerySizes(FmuSizes& sizes, bool showError);
    // 0 when the file cannot be opened, else what the sender reports.
    int DownloadFontToDevice(const std::string& path, const std::string& fontName);
    int DownloadFormToDevice(const std::string& path, const std::string& formName);
    // The last download's result when it went through SendFile (how much the link took of it).
    const SendResult& LastSend() const { return m_lastSend; }
    // 1 when the whole delete job was written.
    int DeleteFileOnDevice(const std::string& name, int32_t type);
    // 1 when the report job was written whole.
    int SendStorageReport();

  private:
    enum class Exchange { Ok, WriteShort, ReadWrong };
    Exchange Query(std::string_view line, unsigned waitMs, uint8_t* record, size_t length);
    Exchange ReadRecord(unsigned waitMs, uint8_t* record, size_t length);
    int LoadList(std::vector<FmuFileEntry>& list, int32_t type);
    int Download(const std::string& path, int32_t type, const std::string& name);

    AppContext& m_ctx;
    FmuLog& m_log;
    int m_target = FMU_SELECTED_TARGET_DIMM;
    FmuFileSender m_sender;
    bool m_exchangeFailed = false;
    SendResult m_lastSend;
};

} // namespace tav
