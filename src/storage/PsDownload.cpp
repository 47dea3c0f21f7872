#include "storage/PsDownload.h"

#include <unistd.h>

#include "platform/UserFile.h"
#include "storage/Type1.h"

namespace tav {
namespace {

// Both the conversion and the check hand names back in buffers of the page's size.
constexpr size_t kPathCapacity = 260;

// Free kilobytes times 1024 larger than bytes, without the overflow of the multiplication.
bool Fits(uint64_t freeKb, uint64_t bytes) {
    return freeKb > bytes / 1024;
}

} // namespace

PsDownload::PsDownload(FmuProtocol& fmu, const std::string& path, PsSendAs as, size_t entriesHeld,
                       const FmuLog* log)
    : m_fmu(fmu) {
    if (EntryLimitReached(entriesHeld)) {
        m_step = PsDownloadStep::Full;
        return;
    }
    if (!RegularFile(path).IsOpen()) return;
    m_sendPath = path;
    bool font = false;
    if (as != PsSendAs::Form) {
        char converted[kPathCapacity];
        if (ConvertPfbToPfa(path.c_str(), converted, sizeof converted, log)) {
            m_sendPath = converted;
            m_converted = true;
        }
        const FontCheck check = CheckFont(m_sendPath.c_str(), log);
        if (check.type1 && check.problem != NameProblem::None) {
            m_problem = check.problem;
            m_entry = {"", FMU_DATA_FONT};
            m_step = PsDownloadStep::BadName;
            return;
        }
        font = check.Accepted();
        if (font) m_entry = {check.name.substr(0, kPathCapacity - 1), FMU_DATA_FONT};
        if (!font && as == PsSendAs::Font) {
            m_step = PsDownloadStep::NotAFont;
            return;
        }
    }
    if (!font) {
        // A form keeps its file's name; asked for as a form, the file goes as it is, unconverted.
        m_entry = {FileNamePart(path), FMU_DATA_FORM};
        if (as == PsSendAs::Form) m_sendPath = path;
        m_problem = CheckStoredName(m_entry.name, NameUse::Form);
        if (m_problem != NameProblem::None) {
            m_step = PsDownloadStep::BadName;
            return;
        }
    }
    const std::optional<uint64_t> size = RegularFile(m_sendPath).Size();
    if (!size) {
        m_step = PsDownloadStep::Unreadable;
        return;
    }
    m_sendBytes = *size;
    FmuSizes sizes;
    if (!m_fmu.QuerySizes(sizes, true)) {
        m_step = PsDownloadStep::SizeUnknown;
        return;
    }
    m_freeKb = sizes.freeKb;
    m_step = Fits(m_freeKb, m_sendBytes) ? PsDownloadStep::Ready : PsDownloadStep::NoSpace;
}

PsDownload::~PsDownload() {
    if (m_converted) ::unlink(m_sendPath.c_str());
}

SendResult PsDownload::Send() {
    if (m_step != PsDownloadStep::Ready) return {};
    return m_fmu.SendToDevice(m_sendPath, m_entry.type, m_entry.name);
}

ListingCheck<FmuFileEntry> PsDownload::Confirm(std::vector<FmuFileEntry>& listing) {
    listing.clear();
    bool complete = false;
    const bool read = m_fmu.LoadEntries(listing, complete);
    return CheckByListing(read, complete, listing, {m_entry}, true);
}

} // namespace tav
