// Everything that blocks or asks the user goes through UiHost, so the core never depends on a
// toolkit and tests can run a 40-second wait in microseconds while seeing that it was asked for.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tav {

enum class MsgIcon { None, Error, Warning, Information, Question };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

class UiHost {
public:
    virtual ~UiHost() = default;
    virtual MsgResult MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                 MsgButtons buttons) = 0;
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // A fixed wait: the window keeps painting but takes no input.
    virtual void Wait(unsigned milliseconds) = 0;
    // The open-file dialog; nothing when cancelled.
    virtual std::optional<std::string> OpenFileDialog(const std::string& title, const std::string& filter,
                                                      const std::string& initialFolder) = 0;
    virtual void Beep() = 0;
    // Help at its default topic.
    virtual void OpenHelp(const std::string& helpFile) = 0;
    // A control's popup help.
    virtual void ShowPopupHelp(const std::string& helpFile, uint32_t helpId) = 0;
};

// Restores the cursor on every path out of a scope.
class WaitCursor {
public:
    explicit WaitCursor(UiHost& ui) : m_ui(ui) { m_ui.BeginWaitCursor(); }
    ~WaitCursor() { m_ui.EndWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    UiHost& m_ui;
};

// For programs without a window (tavctl, a start-up without the main window): messages to stderr,
// questions answered "No" unless told to say yes, waits spent on the wait clock (the system's
// unless a test build put in its own).
class ConsoleUiHost : public UiHost {
public:
    explicit ConsoleUiHost(bool answerYes = false) : m_answerYes(answerYes) {}
    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons) override;
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void Wait(unsigned milliseconds) override;
    std::optional<std::string> OpenFileDialog(const std::string&, const std::string&,
                                              const std::string&) override {
        return std::nullopt;
    }
    void Beep() override {}
    void OpenHelp(const std::string&) override {}
    void ShowPopupHelp(const std::string&, uint32_t) override {}
    // A message box whose text is the same as the last one is still printed; callers decide.
    int MessageCount() const { return m_messages; }

private:
    bool m_answerYes;
    int m_messages = 0;
};

}  // namespace tav
