// Popup help texts: a cshelp.txt beside the help file, in blocks of ".topic <number>" followed by
// the text of that topic.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tav {

// Base of the help ids of controls that a page's table does not name.
inline constexpr uint32_t kControlHelpBase = 0x20000;

// Topic number (decimal, or hex with 0x) to text. Lines before the first topic, and topics whose
// number cannot be read, are passed over; a repeated topic keeps its first text.
std::map<uint32_t, std::string> ParseCsHelp(std::string_view text);

inline constexpr uintmax_t kMaxCsHelpBytes = 4u << 20;

// The cshelp.txt that lies beside helpFile.
std::string CsHelpPathFor(const std::string& helpFile);

// The popup text of one topic, or "" when the file or the topic is missing.
std::string CsHelpText(const std::string& helpFile, uint32_t helpId);

} // namespace tav
