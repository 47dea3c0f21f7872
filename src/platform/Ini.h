// Private-profile INI reading: sections and keys without regard to case, the caller's default
// for a missing key, values cut to the caller's buffer. Files are read afresh at each call, as
// the programs expect edits to a model file to take effect without a restart.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tav {

// A settings or language file is a few kilobytes; one larger than this is no such file and is
// read as missing (each read takes the whole file, so a huge one would stall every lookup).
inline constexpr uint64_t kMaxIniFileBytes = 4ull << 20;

// True when text is well-formed UTF-8 (no overlong forms, surrogates or code points past U+10FFFF).
bool IsValidUtf8(std::string_view text);
// The length of the well-formed UTF-8 sequence that starts at text[at] (1 for ASCII); 0 when none does.
size_t Utf8SequenceAt(std::string_view text, size_t at);

// Copies the value (or the default) into buf, cut to size - 1 characters and zero-terminated;
// returns the number of characters copied. size 0 copies nothing.
size_t GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view def,
                               char* buf, size_t size, const std::string& path);

// The leading decimal integer of the value (with optional sign); def when missing or not a number.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int def, const std::string& path);

// Convenience: the value cut to maxChars characters (that is, a buffer of maxChars + 1).
std::string ReadIniString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view def, size_t maxChars = 255);

// True when the flag value is exactly "1" (5-character buffer, default "0").
bool ReadIniFlag(const std::string& path, std::string_view section, std::string_view key);

// Exact comparison of zero-terminated byte strings: every byte and the length.
bool StrEqual(const char* a, const char* b);
bool StrEqual(std::string_view a, std::string_view b);

// Parsed view of one file, for readers that want many values at once (tavsim profiles, tests).
class IniDocument {
public:
    static IniDocument Load(const std::string& path);
    static IniDocument Parse(std::string_view text);
    bool Find(std::string_view section, std::string_view key, std::string& value) const;
    std::string Get(std::string_view section, std::string_view key, std::string_view def = {}) const;
    bool HasSection(std::string_view section) const;
    // The keys (lower case) and values of one section in file order, as the lookups read them:
    // of a key given twice, the first.
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;
    bool HasEntries() const { return !m_entries.empty(); }

private:
    struct Entry {
        std::string section;  // lower-cased
        std::string key;      // lower-cased
        std::string value;
    };
    std::vector<Entry> m_entries;
    std::vector<std::string> m_sections;
};

}  // namespace tav
