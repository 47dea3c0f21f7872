#include "storage/FmuProtocol.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>

#include "pjl/Pjl.h"
#include "platform/UserFile.h"
#include "storage/FileSend.h"

namespace tav {
namespace {

constexpr unsigned kQueryWaitMs = 1000;
constexpr unsigned kSizeWaitMs = 2000;
constexpr unsigned kRetryWaitMs = 2000;
constexpr size_t kFileSysRecord = 26;
constexpr std::string_view kFileSysQuery = "@PJL INQUIRE PSFILESYS";

const std::array<FmuTargetInfo, 2> kTargets = {{
    {"FMU_SELECTED_TARGET_DIMM", "1:/RESOURCE", "%disk1%", "@PJL INQUIRE PSDIMMSIZE", 58, 25, 62, 29},
    {"FMU_SELECTED_TARGET_HDD", "0:/RESOURCE", "%disk0%", "@PJL INQUIRE PSHDDSIZE", 57, 24, 61, 28},
}};

bool Echoes(const uint8_t* record, std::string_view query) {
    return std::memcmp(record, query.data(), query.size()) == 0;
}

// The record as text for a log line: up to its first zero byte.
std::string RecordText(const uint8_t* record, size_t length) {
    const auto* end = std::find(record, record + length, uint8_t{0});
    return std::string(record, end);
}

} // namespace

const FmuTargetInfo& TargetInfo(int target) {
    return kTargets[target == FMU_SELECTED_TARGET_HDD ? 1 : 0];
}

const char* FolderFor(int32_t type) {
    return type == FMU_DATA_FORM ? "forms" : "fonts";
}

int64_t ParseFieldNumber(const uint8_t* field, size_t length) {
    size_t i = 0;
    while (i < length && (field[i] == ' ' || field[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < length && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
    int64_t value = 0;
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    for (; i < length && field[i] >= '0' && field[i] <= '9'; ++i) {
        const int digit = field[i] - '0';
        value = value > (kMax - digit) / 10 ? kMax : value * 10 + digit;
    }
    return negative ? -value : value;
}

std::string FormatThousands(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string out;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string PsStringEscape(std::string_view name) {
    std::string out;
    for (unsigned char c : name) {
        if (c == '\\' || c == '(' || c == ')') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c > 0x7E) {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", c);
            out += octal;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::vector<FmuFileEntry> ParseDirListing(const uint8_t* data, size_t length, int32_t type) {
    static constexpr std::string_view kFileMark = " TYPE=FILE ";
    std::vector<FmuFileEntry> entries;
    size_t pos = 0;
    while (pos < length && data[pos] != 0x0C) {
        const auto* lf = static_cast<const uint8_t*>(std::memchr(data + pos, '\n', length - pos));
        const size_t end = lf ? static_cast<size_t>(lf - data) : length;
        const std::string_view line(reinterpret_cast<const char*>(data + pos), end - pos);
        const size_t mark = line.find(kFileMark);
        if (mark != std::string_view::npos) entries.push_back({std::string(line.substr(0, mark)), type});
        pos = end + 1;
    }
    return entries;
}

size_t WholeListingPart(const uint8_t* data, size_t length, bool& reachedEnd) {
    size_t lineStart = 0;
    for (size_t i = 0; i < length; ++i) {
        if (i == lineStart && data[i] == 0x0C) {
            reachedEnd = true;
            return i;
        }
        if (data[i] == '\n') lineStart = i + 1;
    }
    reachedEnd = false;
    return lineStart;
}

std::string ReceivingProgram(int target, int32_t type, std::string_view name) {
    std::string job(UEL);
    job += "\r\n%!PS\r\n(";
    job += TargetInfo(target).psPrefix;
    job += FolderFor(type);
    job += '/';
    job += PsStringEscape(name);
    job += ")\r\ndup { deletefile } stopped { pop } if\r\n(w) file /fd exch def\r\n/s512 512 string def\r\n"
           "{ currentfile s512 readstring\r\n { fd exch writestring }\r\n  {\r\n   dup length 0 gt\r\n"
           "   {fd exch writestring}{pop} ifelse\r\n   fd closefile exit\r\n } ifelse\r\n} bind loop\r\n";
    return job;
}

std::string DeleteProgram(int target, int32_t type, std::string_view name) {
    std::string job(UEL);
    job += "\r\n%!PS\r\n(";
    job += TargetInfo(target).psPrefix;
    job += FolderFor(type);
    job += '/';
    job += PsStringEscape(name);
    job += ") deletefile\r\n";
    job += UEL;
    return job;
}

FmuProtocol::Exchange FmuProtocol::ReadRecord(unsigned waitMs, uint8_t* record, size_t length, size_t* received) {
    m_ctx.ui.Wait(waitMs);
    // A fixed-length record is read on until it is whole; the rest of one that stays short is
    // dropped before the next question, never taken for its answer.
    const auto capacity = static_cast<uint32_t>(length);
    size_t have = m_ctx.link.ReadReply(record, capacity, HasLength(length)).count;
    if (have != length) {
        m_log("[FMU]Retry!!\n");
        m_ctx.ui.Wait(kRetryWaitMs);
        // What came first stays; the second read brings the rest of the record.
        have = m_ctx.link.ReadReply(record, capacity, HasLength(length), 0, have).count;
    }
    if (received) *received = have;
    return have == length ? Exchange::Ok : Exchange::ReadWrong;
}

FmuProtocol::Exchange FmuProtocol::Query(std::string_view line, unsigned waitMs, uint8_t* record,
                                         size_t length) {
    const size_t len = ComposeJob(m_ctx.jobBuffer, {line});
    m_log("[FMU] F-Query / W-CMD / %.*s\n", static_cast<int>(line.size()), line.data());
    m_reply = FmuReply::Failed;
    if (len == 0 ||
        m_ctx.link.WritePrinter(m_ctx.jobBuffer.data(), static_cast<uint32_t>(len)) < static_cast<int>(len))
        return Exchange::WriteShort;
    std::memset(record, 0, length);
    const Exchange e = ReadRecord(waitMs, record, length);
    if (e == Exchange::Ok) m_reply = FmuReply::Ok;
    return e;
}

int FmuProtocol::CheckSystem() {
    WaitCursor cursor(m_ctx.ui);
    uint8_t record[kFileSysRecord + 1] = {};
    if (Query(kFileSysQuery, kQueryWaitMs, record, kFileSysRecord) != Exchange::Ok) {
        m_ctx.ShowPrinterError();
        return 0;
    }
    m_log("[FMU] F-CheckSystem / szReadBuffer = %s\n", RecordText(record, kFileSysRecord).c_str());
    // '0' is a printer without the file system; anything else is not this reply.
    if (!Echoes(record, kFileSysQuery) || record[24] < '0' || record[24] > '3') {
        m_reply = FmuReply::NotUnderstood;
        return 0;
    }
    switch (record[24]) {
    case '1':
        return 1;
    case '2':
        m_log("[FMU] F-CheckSystem / FMU_SUPPORT_HDD\n");
        return 2;
    case '3':
        return 3;
    default:
        return 0;
    }
}

int FmuProtocol::LoadList(std::vector<FmuFileEntry>& list, int32_t type) {
    m_listingComplete = true;
    const bool fonts = type == FMU_DATA_FONT;
    const char* op = fonts ? "LoadFontListFromDevice" : "LoadFormListFromDevice";
    const FmuTargetInfo& t = TargetInfo(m_target);
    std::vector<uint8_t> record(t.infoRecord + 1, 0);
    const Exchange e = Query(fonts ? "@PJL INQUIRE PSFNTINFO" : "@PJL INQUIRE PSFRMINFO", kQueryWaitMs,
                             record.data(), t.infoRecord);
    if (e != Exchange::Ok) {
        if (e == Exchange::ReadWrong && !fonts && m_target == FMU_SELECTED_TARGET_HDD)
            m_ctx.ShowPrinterError();
        return 0;
    }
    const auto count = static_cast<int32_t>(
        std::clamp<int64_t>(ParseFieldNumber(&record[t.infoOffset], kFmuNumberField), INT32_MIN, INT32_MAX));
    const auto size = static_cast<int32_t>(std::clamp<int64_t>(
        ParseFieldNumber(&record[t.infoOffset + kFmuNumberField], kFmuNumberField), INT32_MIN, INT32_MAX));
    m_log("[FMU] F-%s / nFileNum = %d, dwFilesize = %d\n", op, count, size);
    // A negative size counts as too large. Either way the record is no count this printer means.
    if (size < 0 || size > kMaxListingBytes) {
        m_reply = FmuReply::NotUnderstood;
        return 0;
    }
    if (size < kMinListingBytes) {
        m_log("[FMU]F-LoadFormListFromDevice / dwFilesize < 45 / fw error!! \n");
        m_reply = FmuReply::NotUnderstood;
        return 0;
    }
    const std::string listing =
        std::string("@PJL FSPSDIRLIST NAME=\"") + t.pjlRoot + "/" + FolderFor(type) + "\"";
    const size_t len = ComposeJob(m_ctx.jobBuffer, {listing});
    m_reply = FmuReply::Failed;
    if (len == 0 ||
        m_ctx.link.WritePrinter(m_ctx.jobBuffer.data(), static_cast<uint32_t>(len)) < static_cast<int>(len))
        return 0;
    std::vector<uint8_t> buffer(static_cast<size_t>(size), 0);
    size_t got = 0;
    size_t parse = buffer.size();
    if (ReadRecord(kQueryWaitMs, buffer.data(), buffer.size(), &got) != Exchange::Ok) {
        if (got == 0) return 0;
        // Cut short: the lines that came whole are what the printer holds, as far as we know.
        bool reachedEnd = false;
        parse = WholeListingPart(buffer.data(), got, reachedEnd);
        if (!reachedEnd) {
            m_listingComplete = false;
            m_log("[FMU] %s / listing cut short: %d of %d bytes\n", op, static_cast<int>(got), size);
        }
    }
    m_reply = FmuReply::Ok;
    if (count == 0) {
        m_log("[FMU] %s / nFileNum = 0 -_-;;\n", op);
        m_listingComplete = true;
        return 1;
    }
    // Every listing names its folder's entries by TYPE (the folder itself is one) or ends at a
    // form feed; bytes with neither are not a listing, however long.
    const std::string_view text(reinterpret_cast<const char*>(buffer.data()), parse);
    if (parse == buffer.size() && text.find(" TYPE=") == std::string_view::npos &&
        text.find('\f') == std::string_view::npos) {
        m_reply = FmuReply::NotUnderstood;
        return 0;
    }
    for (FmuFileEntry& entry : ParseDirListing(buffer.data(), parse, type)) {
        m_log("[QSA] %s / FileName : %s\n", op, entry.name.c_str());
        list.push_back(std::move(entry));
    }
    return 1;
}

int FmuProtocol::LoadFontListFromDevice(std::vector<FmuFileEntry>& list) {
    return LoadList(list, FMU_DATA_FONT);
}

int FmuProtocol::LoadFormListFromDevice(std::vector<FmuFileEntry>& list) {
    return LoadList(list, FMU_DATA_FORM);
}

bool FmuProtocol::LoadEntries(std::vector<FmuFileEntry>& list, bool& complete) {
    complete = false;
    if (!LoadFontListFromDevice(list)) return false;
    const bool fontsWhole = LastListingComplete();
    if (!LoadFormListFromDevice(list)) return false;
    complete = fontsWhole && LastListingComplete();
    return true;
}

bool FmuProtocol::QuerySizes(FmuSizes& sizes, bool showError) {
    const FmuTargetInfo& t = TargetInfo(m_target);
    std::vector<uint8_t> record(t.sizeRecord + 1, 0);
    if (Query(t.sizeQuery, kSizeWaitMs, record.data(), t.sizeRecord) != Exchange::Ok) {
        if (showError) m_ctx.ShowPrinterError();
        return false;
    }
    if (!Echoes(record.data(), t.sizeQuery)) {
        m_reply = FmuReply::NotUnderstood;
        return false;
    }
    // Sizes are never negative; a minus sign reads as nothing rather than as a huge number.
    const int64_t total = ParseFieldNumber(&record[t.sizeOffset], kFmuNumberField);
    const int64_t free = ParseFieldNumber(&record[t.sizeOffset + kFmuNumberField], kFmuNumberField);
    sizes.totalKb = total > 0 ? static_cast<uint64_t>(total) : 0;
    sizes.freeKb = free > 0 ? static_cast<uint64_t>(free) : 0;
    m_log("[FMU] F-GetSysAvailableMemory / u64TotalSize = %llu\n",
          static_cast<unsigned long long>(sizes.totalKb));
    m_log("[FMU] F-GetSysAvailableMemory / u64AvailableSize = %llu\n",
          static_cast<unsigned long long>(sizes.freeKb));
    return true;
}

uint64_t FmuProtocol::GetSysAvailableMemory() {
    FmuSizes sizes;
    bool ok;
    {
        WaitCursor cursor(m_ctx.ui);
        ok = QuerySizes(sizes, true);
    }
    return ok ? sizes.freeKb : 0;
}

SendResult FmuProtocol::SendToDevice(const std::string& path, int32_t type, const std::string& name) {
    if (!RegularFile(path).IsOpen()) return {};
    const std::string header = ReceivingProgram(m_target, type, name);
    m_log("[FMU] F-Download / %s%s/%s\n", TargetInfo(m_target).psPrefix, FolderFor(type), name.c_str());
    if (m_sender) return m_sender(path, header);
    return SendFile(m_ctx, path, header, std::nullopt);
}

int FmuProtocol::DownloadFontToDevice(const std::string& path, const std::string& fontName) {
    return SendToDevice(path, FMU_DATA_FONT, fontName).status == SendStatus::Complete ? 1 : 0;
}

int FmuProtocol::DownloadFormToDevice(const std::string& path, const std::string& formName) {
    return SendToDevice(path, FMU_DATA_FORM, formName).status == SendStatus::Complete ? 1 : 0;
}

int FmuProtocol::DeleteFileOnDevice(const std::string& name, int32_t type) {
    // A name from the printer's own listing may still point outside the folder.
    if (CheckStoredName(name, NameUse::Delete) != NameProblem::None) return 0;
    const std::string job = DeleteProgram(m_target, type, name);
    m_log("[FMU] F-OnFmuButtonDelete / CMD / %s\n", job.c_str());
    const int written = m_ctx.link.WritePrinter(job.data(), static_cast<uint32_t>(job.size()));
    m_log("[FMU] OnFmuButtonDelete / Deleted ( %d of %d)\n", written, static_cast<int>(job.size()));
    return written == static_cast<int>(job.size()) ? 1 : 0;
}

int FmuProtocol::SendStorageReport() {
    const size_t len = ComposeJob(m_ctx.jobBuffer, {"@PJL TEST PRINT = PSFSFONT"});
    m_log("[FMU] F-OnFmuButtonReport / CMD / %.*s\n", static_cast<int>(len), m_ctx.jobBuffer.data());
    return len != 0 && m_ctx.link.WritePrinter(m_ctx.jobBuffer.data(), static_cast<uint32_t>(len)) ==
                           static_cast<int>(len);
}

} // namespace tav
