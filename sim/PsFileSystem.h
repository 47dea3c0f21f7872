// The printer's PostScript file system: fonts and forms kept as files in its memory (volume 1,
// %disk1%) and on its hard disk (volume 0, %disk0%), the PJL inquiries about them, the directory
// listings, and the PostScript programs that store and delete a file.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Ini.h"

namespace tavsim {

class PsFileSystem {
  public:
    struct File {
        std::string name;
        uint64_t size = 0;
    };
    struct Volume {
        bool present = false;
        uint64_t totalKb = 0;
        uint64_t freeKb = 0;
        std::map<std::string, std::vector<File>> folders; // "fonts", "forms"
    };

    // From the [PSFileSystem] section: Type (0 none, 1 memory, 2 hard disk, 3 both), the sizes
    // in kilobytes and the Fonts and Forms lists ("%diskN%folder/name size, ...").
    void Load(const IniFile& ini, std::vector<std::string>& warnings);

    std::vector<uint8_t> FileSysReply() const;
    // The count record of a folder ("fonts" or "forms"), readable at either target's offsets.
    std::vector<uint8_t> InfoReply(const std::string& query, const std::string& folder) const;
    std::vector<uint8_t> SizeReply(int volume) const;
    std::vector<uint8_t> DirList(const std::string& name) const;
    // Runs a PostScript job (the text after the UEL); notes say what was done or refused.
    void RunPostScript(const std::string& body, std::vector<std::string>& notes);

    const Volume& Vol(int v) const { return m_vol[v ? 1 : 0]; }
    int Type() const { return m_type; }

  private:
    std::string Listing(int volume, const std::string& folder, const std::string& echo) const;
    size_t ListingSize(const std::string& folder) const;
    bool Store(const std::string& path, uint64_t size, std::string& why);
    bool Delete(const std::string& path, std::string& why);
    // "%disk0%fonts/Name" -> volume 0, "fonts", "Name".
    bool SplitPath(const std::string& path, int& volume, std::string& folder, std::string& name) const;

    int m_type = 0;
    Volume m_vol[2];
};

} // namespace tavsim
