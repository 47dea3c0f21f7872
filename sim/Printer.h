// The simulated printer: its state and the PJL commands it understands. A command is one row
// of the table in Printer.cpp; adding one is a row and a handler.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "Nux.h"
#include "Profile.h"
#include "PsFileSystem.h"
#include "Settings.h"

namespace tavsim {

struct Reply {
    std::string cmd;  // the command that asked for it, e.g. "INFO PRINTER"
    std::vector<uint8_t> bytes;
};

struct JobResult {
    std::vector<std::string> commands;  // the PJL lines run, without "@PJL "
    std::vector<std::string> printed;   // test pages printed
    std::vector<std::string> notes;     // what was ignored and why
    std::vector<Reply> replies;
};

// One "@PJL" line taken apart: words are split at blanks and '=' and upper-cased.
struct PjlLine {
    std::string text;                // after "@PJL", trimmed
    std::vector<std::string> words;  // e.g. INFO, INFORMATION, ALL
    size_t keyWords = 0;             // how many words the table entry matched
    std::string Arg(size_t i) const;  // the i-th word after the matched ones
    std::string After(const char* word) const;  // raw text after the first occurrence of word
    std::string ValueText() const;   // raw text after the first '=', trimmed
};

PjlLine SplitPjlLine(const std::string& text);

class Printer {
public:
    explicit Printer(const Profile& profile);
    // Runs every "@PJL" line of one framed job; bytes are the job as received.
    JobResult RunJob(const std::vector<uint8_t>& bytes);
    void RunLine(const std::string& line, JobResult& r);

    const Profile& GetProfile() const { return m_profile; }
    SettingsState& Settings() { return m_settings; }
    const NuxPanel& Nux() const { return m_nux; }
    const PsFileSystem& PsFiles() const { return m_psfs; }

    // Reply encoders, public so tests can check them byte for byte.
    std::vector<uint8_t> SettingsRecord() const { return EncodeRecord(m_settings); }
    std::vector<uint8_t> InformationReport() const;
    std::vector<uint8_t> FontInfo() const;
    std::vector<uint8_t> FormInfo() const;
    std::vector<uint8_t> MacroInfo() const;
    std::vector<uint8_t> StatusReport() const;

    struct Command {
        const char* key;  // leading words, blank-separated, upper case
        void (Printer::*run)(const PjlLine&, JobResult&);
    };

private:
    static const std::vector<Command>& Commands();
    void InfoPrinter(const PjlLine& l, JobResult& r);
    void InfoInformation(const PjlLine& l, JobResult& r);
    void InfoStatus(const PjlLine& l, JobResult& r);
    void Default(const PjlLine& l, JobResult& r);
    void Initialize(const PjlLine& l, JobResult& r);
    void TestPrint(const PjlLine& l, JobResult& r);
    void FsFontInfo(const PjlLine& l, JobResult& r);
    void FsPsFormInfo(const PjlLine& l, JobResult& r);
    void FsMacroInfo(const PjlLine& l, JobResult& r);
    void NuxMode(const PjlLine& l, JobResult& r);
    void NuxButton(const PjlLine& l, JobResult& r);
    // Flash fonts, macros and PostScript forms (Flash.cpp).
    void FsDownloadFont(const PjlLine& l, JobResult& r);
    void FsDownloadMacro(const PjlLine& l, JobResult& r);
    void FsDeleteFont(const PjlLine& l, JobResult& r);
    void FsDeleteFontAll(const PjlLine& l, JobResult& r);
    void FsDeleteMacro(const PjlLine& l, JobResult& r);
    void FsDeleteMacroAll(const PjlLine& l, JobResult& r);
    void FsDeleteAll(const PjlLine& l, JobResult& r);
    void FsMacroId(const PjlLine& l, JobResult& r);
    void FormatFlash(const PjlLine& l, JobResult& r);
    void FsDeletePsFormAll(const PjlLine& l, JobResult& r);
    void SetPsFormName(const PjlLine& l, JobResult& r);
    void SetPsFormSize(const PjlLine& l, JobResult& r);
    void FsDownloadPsForm(const PjlLine& l, JobResult& r);
    // The job's bytes after the line being run; a download takes them all, so no line in its data runs.
    std::string TakeRestOfJob();
    // The PostScript file system (PsFileSystem.cpp).
    void InquirePsFileSys(const PjlLine& l, JobResult& r);
    void InquirePsFntInfo(const PjlLine& l, JobResult& r);
    void InquirePsFrmInfo(const PjlLine& l, JobResult& r);
    void InquirePsHddSize(const PjlLine& l, JobResult& r);
    void InquirePsDimmSize(const PjlLine& l, JobResult& r);
    void FsPsDirList(const PjlLine& l, JobResult& r);

    Profile m_profile;
    SettingsState m_settings;
    std::vector<FlashFont> m_fonts;
    std::vector<uint16_t> m_macros;
    std::vector<PsForm> m_forms;
    NuxPanel m_nux;
    const std::string* m_jobBody = nullptr;  // the job being run, for the downloads
    size_t m_restAt = 0;                     // where the bytes after the current line start
    std::string m_psFormName;                // from SET PSFORMNAME, for the next form download
    long long m_psFormSize = -1;             // from SET PSFORMSIZE
    PsFileSystem m_psfs;
};

}  // namespace tavsim
