// UiHost on Qt Widgets: message boxes, the wait cursor, waits that keep painting while no user
// input gets in, the open-file dialog, the beep and help.
#pragma once
#include <QObject>

#include "platform/UiHost.h"

namespace tav {

class QtUiHost : public QObject, public UiHost {
    Q_OBJECT
  public:
    QtUiHost();
    ~QtUiHost() override;

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

    // True while input is being kept out (a wait, or an operation under the wait cursor).
    bool Blocking() const { return (m_waitDepth > 0 || m_cursorDepth > 0) && m_modalDepth == 0; }

    // Converts a filter of "Text|pattern|Text|pattern|" pairs into Qt's "Text (pattern);;..." form;
    // a filter without '|' is taken as Qt's form already.
    static QString QtFilter(const std::string& filter);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    int m_cursorDepth = 0;
    int m_waitDepth = 0;
    int m_modalDepth = 0; // a message box or file dialog of our own is up: its input is wanted
};

} // namespace tav
