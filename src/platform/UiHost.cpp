#include "platform/UiHost.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/WaitClock.h"

namespace tav {

MsgResult RecordingUiHost::MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                                      MsgButtons buttons) {
    events.push_back({Kind::Message, text, caption, icon, buttons, 0});
    if (!answers.empty()) {
        MsgResult r = answers.front();
        answers.pop_front();
        return r;
    }
    return buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel ? MsgResult::Ok : MsgResult::No;
}

void RecordingUiHost::BeginWaitCursor() {
    ++waitCursorDepth;
    events.push_back({Kind::BeginWait, {}, {}, MsgIcon::None, MsgButtons::Ok, 0});
}

void RecordingUiHost::EndWaitCursor() {
    --waitCursorDepth;
    events.push_back({Kind::EndWait, {}, {}, MsgIcon::None, MsgButtons::Ok, 0});
}

void RecordingUiHost::Wait(unsigned milliseconds) {
    events.push_back({Kind::Wait, {}, {}, MsgIcon::None, MsgButtons::Ok, milliseconds});
}

std::optional<std::string> RecordingUiHost::OpenFileDialog(const std::string& title, const std::string& filter,
                                                           const std::string&) {
    events.push_back({Kind::OpenFile, title, filter, MsgIcon::None, MsgButtons::Ok, 0});
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
}

void RecordingUiHost::Beep() { events.push_back({Kind::Beep, {}, {}, MsgIcon::None, MsgButtons::Ok, 0}); }

void RecordingUiHost::OpenHelp(const std::string& helpFile) {
    events.push_back({Kind::Help, helpFile, {}, MsgIcon::None, MsgButtons::Ok, 0});
}

void RecordingUiHost::ShowPopupHelp(const std::string& helpFile, uint32_t helpId) {
    events.push_back({Kind::PopupHelp, helpFile, {}, MsgIcon::None, MsgButtons::Ok, helpId});
}

std::vector<RecordingUiHost::Event> RecordingUiHost::Messages() const {
    std::vector<Event> out;
    for (const auto& e : events)
        if (e.kind == Kind::Message) out.push_back(e);
    return out;
}

std::vector<unsigned> RecordingUiHost::Waits() const {
    std::vector<unsigned> out;
    for (const auto& e : events)
        if (e.kind == Kind::Wait) out.push_back(e.ms);
    return out;
}

unsigned RecordingUiHost::TotalWaitMs() const {
    unsigned total = 0;
    for (unsigned w : Waits()) total += w;
    return total;
}

MsgResult ConsoleUiHost::MessageBox(const std::string& text, const std::string& caption, MsgIcon,
                                    MsgButtons buttons) {
    ++m_messages;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    switch (buttons) {
    case MsgButtons::Ok: return MsgResult::Ok;
    case MsgButtons::OkCancel: return m_answerYes ? MsgResult::Ok : MsgResult::Cancel;
    case MsgButtons::YesNo:
    case MsgButtons::YesNoCancel: return m_answerYes ? MsgResult::Yes : MsgResult::No;
    }
    return MsgResult::No;
}

void ConsoleUiHost::Wait(unsigned milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(CurrentWaitClock().RealLength(milliseconds)));
}

}  // namespace tav
