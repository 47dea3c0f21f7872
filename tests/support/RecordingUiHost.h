// The UiHost of the tests: records every call and answers from a script; never sleeps.
#pragma once
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/UiHost.h"

namespace tav {

class RecordingUiHost : public UiHost {
public:
    enum class Kind { Message, BeginWait, EndWait, Wait, OpenFile, Beep, Help, PopupHelp };
    struct Event {
        Kind kind;
        std::string text;     // message text, file title, help file
        std::string caption;  // message caption, file filter
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::Ok;
        unsigned ms = 0;  // wait length, or help id
    };

    MsgResult MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                         MsgButtons buttons) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void Wait(unsigned milliseconds) override;
    std::optional<std::string> OpenFileDialog(const std::string& title, const std::string& filter,
                                              const std::string& initialFolder) override;
    void Beep() override;
    void OpenHelp(const std::string& helpFile) override;
    void ShowPopupHelp(const std::string& helpFile, uint32_t helpId) override;

    // Scripted answers, used in order; a message box with nothing scripted answers Ok for an
    // Ok box and No for a question (never a silent "yes").
    std::deque<MsgResult> answers;
    std::deque<std::optional<std::string>> files;
    std::vector<Event> events;
    int waitCursorDepth = 0;

    std::vector<Event> Messages() const;
    std::vector<unsigned> Waits() const;
    unsigned TotalWaitMs() const;
    void Clear() { events.clear(); }
};

} // namespace tav
