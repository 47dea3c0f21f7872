#include "cli/Output.h"

#include <cstdio>

#include "platform/Ini.h"

namespace tav::cli {

MsgResult CliUiHost::MessageBox(const std::string& text, const std::string& caption, MsgIcon,
                                MsgButtons buttons) {
    MsgResult answer = MsgResult::Ok;
    const char* said = "";
    switch (buttons) {
    case MsgButtons::Ok:
        break;
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
    const std::string shownText =
        text.empty() ? "(the language file has no text for this message)" : Visible(text, false);
    std::fprintf(stderr, "%s: %s%s\n", shownCaption.c_str(), shownText.c_str(), said);
    std::fflush(stderr);
    return answer;
}

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F || (c >= 0x80 && Utf8SequenceAt(text, i) == 0)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\u%04x", c);
            out += hex;
        } else if (c >= 0x80) {
            const size_t n = Utf8SequenceAt(text, i);
            out.append(text, i, n);
            i += n - 1;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

JsonObject& JsonObject::AddJson(std::string_view name, const std::string& json) {
    m_members += (m_members.empty() ? "" : ", ") + JsonString(std::string(name)) + ": " + json;
    return *this;
}

JsonObject& JsonObject::AddString(std::string_view name, const std::string& text) {
    return AddJson(name, JsonString(text));
}

JsonObject& JsonObject::AddNumber(std::string_view name, uint64_t number) {
    return AddJson(name, std::to_string(number));
}

JsonObject& JsonObject::AddBool(std::string_view name, bool value) {
    return AddJson(name, value ? "true" : "false");
}

std::string JsonArray(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : ", ") + item;
    return "[" + out + "]";
}

void Out(const std::string& line) {
    std::fprintf(stdout, "%s\n", line.c_str());
}
void Err(const std::string& line) {
    std::fprintf(stderr, "tavctl: %s\n", line.c_str());
}

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

std::string TerminalName(const std::string& bytes) {
    std::string out;
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const size_t n = Utf8SequenceAt(bytes, i);
        // U+0080 to U+009F are the C1 controls, encoded C2 80 to C2 9F.
        const bool control =
            c < 0x20 || c == 0x7F || (n == 2 && c == 0xC2 && static_cast<unsigned char>(bytes[i + 1]) < 0xA0);
        if (n > 0 && !control) {
            out.append(bytes, i, n);
            i += n;
            continue;
        }
        for (const size_t end = i + (n ? n : 1); i < end; ++i) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(bytes[i]));
            out += hex;
        }
    }
    return out;
}

} // namespace tav::cli
