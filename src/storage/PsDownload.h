// One file stored in the printer's PostScript file system, the same for the manager page and
// tavctl psfs put: whether it goes as a font or a form and under which name, the checks made
// before anything is sent (the entry limit, the name, the free space for what will really be
// sent), the send itself through SendFile, and the listing read afterwards that tells whether
// the printer holds it.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "storage/FmuProtocol.h"
#include "storage/ListingCheck.h"
#include "storage/PsForms.h"

namespace tav {

// What the file is to go as: the page's filter radios, tavctl's --font and --form.
enum class PsSendAs { Any, Font, Form };

enum class PsDownloadStep {
    Ready,       // planned; Send() sends it
    Full,        // the target holds kFmuEntryLimit files already
    Unreadable,  // the file cannot be opened
    NotAFont,    // to go as a font, but it is no Type 1 font
    BadName,     // the name breaks a rule of the file system: Problem() says which
    SizeUnknown, // the free-space question went unanswered (LastReply() tells how)
    NoSpace,     // what would be sent does not fit the free space
};

// After a deletion the printer is given this long before it is asked again, by the page and tavctl.
inline constexpr unsigned kFmuDeleteWaitMs = 8000;

// True when a target holding that many files takes no more.
inline bool EntryLimitReached(size_t entriesHeld) {
    return entriesHeld >= kFmuEntryLimit;
}

class PsDownload {
  public:
    // Plans the download of path to fmu's target, which holds entriesHeld files. A font is
    // converted first, so the free space is weighed against the text form, about twice the file.
    PsDownload(FmuProtocol& fmu, const std::string& path, PsSendAs as, size_t entriesHeld,
               const FmuLog* log = nullptr);
    // The converted font is removed: the temporary folder holds no fonts between downloads.
    ~PsDownload();
    PsDownload(const PsDownload&) = delete;
    PsDownload& operator=(const PsDownload&) = delete;

    PsDownloadStep Step() const { return m_step; }
    // The name and kind the file goes as, once decided (the font's name, the form's file name).
    const FmuFileEntry& Entry() const { return m_entry; }
    NameProblem Problem() const { return m_problem; }
    uint64_t SendBytes() const { return m_sendBytes; }
    uint64_t FreeKb() const { return m_freeKb; }

    // Sends the planned file (again, when the user asks for another try).
    SendResult Send();
    // Reads the target's lists into listing and tells whether they hold the file.
    ListingCheck<FmuFileEntry> Confirm(std::vector<FmuFileEntry>& listing);

  private:
    FmuProtocol& m_fmu;
    PsDownloadStep m_step = PsDownloadStep::Unreadable;
    FmuFileEntry m_entry;
    NameProblem m_problem = NameProblem::None;
    std::string m_sendPath;
    bool m_converted = false;
    uint64_t m_sendBytes = 0;
    uint64_t m_freeKb = 0;
};

} // namespace tav
