#include "platform/UiHost.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/WaitClock.h"

namespace tav {

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
