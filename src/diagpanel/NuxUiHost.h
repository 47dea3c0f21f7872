// The panel's message boxes and waits on Qt. In scripted runs (tests, screenshots) every box is
// still built and shown, then answered from a queue and reported, so nothing waits for a hand.
#pragma once
#include "platform/UiHost.h"

#include <deque>
#include <functional>
#include <string>

class QWidget;

namespace nux {

class NuxUiHost final : public tav::UiHost {
  public:
    explicit NuxUiHost(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }

    // From now on boxes answer themselves: the next queued answer, else Ok for an Ok box and
    // No for a question. `report` gets "box <caption>: <text>" for each.
    void AnswerAutomatically(std::function<void(const std::string&)> report);
    void QueueAnswer(tav::MsgResult answer) { m_answers.push_back(answer); }

    tav::MsgResult MessageBox(const std::string& text, const std::string& caption, tav::MsgIcon icon,
                              tav::MsgButtons buttons) override;
    void BeginWaitCursor() override;
    void EndWaitCursor() override;
    void Wait(unsigned milliseconds) override;
    std::optional<std::string> OpenFileDialog(const std::string& title, const std::string& filter,
                                              const std::string& initialFolder) override;
    void Beep() override;
    void OpenHelp(const std::string& helpFile) override;
    // The panel has no popup topics of its own: the help file opens at its start.
    void ShowPopupHelp(const std::string& helpFile, uint32_t helpId) override;

  private:
    QWidget* m_owner;
    bool m_automatic = false;
    std::function<void(const std::string&)> m_report;
    std::deque<tav::MsgResult> m_answers;
};

} // namespace nux
