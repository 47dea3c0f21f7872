#include "cli/Output.h"

#include <cstdio>

namespace tav::cli {

MsgResult CliUiHost::MessageBox(const std::string& text, const std::string& caption, MsgIcon,
                                MsgButtons buttons) {
    MsgResult answer = MsgResult::Ok;
    const char* said = "";
    switch (buttons) {
    case MsgButtons::Ok: break;
    case MsgButtons::OkCancel:
        answer = m_yes ? MsgResult::Ok : MsgResult::Cancel;
        said = m_yes ? " [OK]" : " [Cancel]";
        break;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel:
        answer = m_yes ? MsgResult::Yes : MsgResult::No;
        said = m_yes ? " [Yes]" : " [No]";
        if (!m_yes) m_declined = true;
        break;
    }
    // A language file without the title or the text still leaves a line that says something.
    const std::string shownCaption = caption.empty() ? "tavctl" : Visible(caption, true);
    const std::string shownText = text.empty() ? "(the language file has no text for this message)" : Visible(text, false);
    std::fprintf(stderr, "%s: %s%s\n", shownCaption.c_str(), shownText.c_str(), said);
    std::fflush(stderr);
    return answer;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void Out(const std::string& line) { std::fprintf(stdout, "%s\n", line.c_str()); }
void Err(const std::string& line) { std::fprintf(stderr, "tavctl: %s\n", line.c_str()); }

std::string Visible(const std::string& text, bool escapeNewlines) {
    std::string out;
    for (unsigned char c : text) {
        if (c == 0x1B) {
            out += "\\e";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += escapeNewlines ? "\\n" : "\n";
        } else if ((c < 0x20 && c != '\t') || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

}  // namespace tav::cli
