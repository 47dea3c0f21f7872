// What every tavctl command writes and how it ends: the exit statuses, the lines on standard
// output and standard error, text made safe for a terminal, and the console that answers the
// program's questions.
#pragma once
#include <string>

#include "platform/UiHost.h"

namespace tav::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitPrinter = 1;  // the printer exchange failed (or start-up could not reach it)
inline constexpr int kExitUsage = 2;    // usage, unknown name, bad value, missing files, a question answered No
inline constexpr int kExitRefused = 3;  // the printer answered but did not take some values

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

// A line on standard output; a line on standard error after "tavctl: ".
void Out(const std::string& line);
void Err(const std::string& line);

// A JSON string: quotes, backslashes and control characters escaped, other bytes as they are.
std::string JsonString(const std::string& text);

}  // namespace tav::cli
