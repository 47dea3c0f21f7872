#include "pages/CsHelp.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/UserFile.h"

namespace tav {
namespace {

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

// The topic number of a ".topic" line; false for any other line or an unreadable number.
bool TopicLine(std::string_view line, uint32_t& id, bool& isTopic) {
    static constexpr std::string_view kTag = ".topic";
    isTopic = line.substr(0, kTag.size()) == kTag &&
              (line.size() == kTag.size() || line[kTag.size()] == ' ' || line[kTag.size()] == '\t');
    if (!isTopic) return false;
    std::string number(TrimRight(line.substr(kTag.size())));
    size_t start = number.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    const char* begin = number.c_str() + start;
    char* end = nullptr;
    errno = 0;
    unsigned long v = std::strtoul(begin, &end, 0);
    if (end == begin || *end != '\0' || errno == ERANGE || v > 0xFFFFFFFFul || *begin == '-') return false;
    id = static_cast<uint32_t>(v);
    return true;
}

} // namespace

std::map<uint32_t, std::string> ParseCsHelp(std::string_view text) {
    std::map<uint32_t, std::string> topics;
    bool inTopic = false;
    uint32_t current = 0;
    std::string body;
    auto flush = [&] {
        if (inTopic) topics.emplace(current, std::string(TrimRight(body)));
        body.clear();
    };
    size_t pos = 0;
    // A byte-order mark at the start belongs to no line.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
    while (pos <= text.size()) {
        size_t nl = text.find('\n', pos);
        std::string_view line =
            text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        uint32_t id = 0;
        bool isTopic = false;
        bool readable = TopicLine(line, id, isTopic);
        if (isTopic) {
            flush();
            inTopic = readable;
            current = id;
        } else if (inTopic) {
            if (!body.empty() || !TrimRight(line).empty()) {
                body.append(line);
                body.push_back('\n');
            }
        }
        if (nl == std::string_view::npos) break;
        pos = nl + 1;
    }
    flush();
    return topics;
}

std::string CsHelpPathFor(const std::string& helpFile) {
    size_t slash = helpFile.rfind('/');
    return (slash == std::string::npos ? std::string() : helpFile.substr(0, slash + 1)) + "cshelp.txt";
}

std::string CsHelpText(const std::string& helpFile, uint32_t helpId) {
    const std::string path = CsHelpPathFor(helpFile);
    // A help file is some kilobytes; one past the limit is no help file and is not read whole
    // at every popup.
    std::string all;
    UserFileError error;
    if (!ReadRegularFile(path, all, kMaxCsHelpBytes, error)) return {};
    auto topics = ParseCsHelp(all);
    auto it = topics.find(helpId);
    return it == topics.end() ? std::string() : it->second;
}

} // namespace tav
