// What every tavctl command writes and how it ends: the exit statuses, the lines on standard
// output and standard error, text made safe for a terminal, and the console that answers the
// program's questions.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/UiHost.h"

namespace tav::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitPrinter = 1; // the printer exchange failed (or start-up could not reach it)
inline constexpr int kExitUsage = 2; // usage, unknown name, bad value, missing files, a question answered No
inline constexpr int kExitRefused = 3; // the printer answered but did not take some values
inline constexpr int kExitBusy = 4;    // another program is using the printer (for longer than --wait)

// Messages go to stderr with control characters made visible; questions are answered No
// unless told to say Yes, and the answer is printed beside the question.
class CliUiHost : public ConsoleUiHost {
  public:
    explicit CliUiHost(bool answerYes) : ConsoleUiHost(answerYes), m_yes(answerYes) {}
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons) override;
    // Whether a question was answered No: what followed was the user's choice, not a failure.
    bool Declined() const { return m_declined; }

  private:
    bool m_yes;
    bool m_declined = false;
};

// Text for a terminal: ESC, CR and other control characters written as escapes; with
// escapeNewlines also LF, so a whole job fits on one line.
std::string Visible(const std::string& text, bool escapeNewlines);

// Names from the printer's listings, which are bytes in whatever encoding the listing was
// written in: well-formed UTF-8 stands as it is; control characters (C0, DEL and C1) and every
// byte that is not part of a well-formed sequence become \xNN, so nothing reaches the terminal
// as a command.
std::string TerminalName(const std::string& bytes);

// A line on standard output; a line on standard error after "tavctl: ".
void Out(const std::string& line);
void Err(const std::string& line);

// The JSON every --json prints, written one way. A string is JSON's own escapes for quotes,
// backslashes and control characters, UTF-8 as it is, and each byte that is not part of valid
// UTF-8 as the character of that number (\u00XX), so the text is always valid JSON.
std::string JsonString(const std::string& text);

class JsonObject {
  public:
    JsonObject& AddString(std::string_view name, const std::string& text);
    JsonObject& AddNumber(std::string_view name, uint64_t number);
    JsonObject& AddBool(std::string_view name, bool value);
    // A value already written as JSON (an object or an array).
    JsonObject& AddJson(std::string_view name, const std::string& json);
    std::string Text() const { return "{" + m_members + "}"; }

  private:
    std::string m_members;
};

// A JSON array of values already written as JSON.
std::string JsonArray(const std::vector<std::string>& items);

} // namespace tav::cli
