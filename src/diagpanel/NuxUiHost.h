// The panel's message boxes and waits on Qt.
#pragma once
#include "platform/UiHost.h"

#include <string>

class QWidget;

namespace nux {

class NuxUiHost final : public tav::UiHost {
  public:
    explicit NuxUiHost(QWidget* owner = nullptr) : m_owner(owner) {}
    void SetOwner(QWidget* owner) { m_owner = owner; }

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
};

} // namespace nux
