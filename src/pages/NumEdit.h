// CNumEdit: an edit that lets only some typed characters through and beeps at the others, and
// that limits what the user types the way an edit control's text limit does.
#pragma once
#include <QLineEdit>

#include "platform/UiHost.h"

namespace tav {

class CNumEdit : public QLineEdit {
    Q_OBJECT
public:
    // Mode 8: digits, backspace and "."; mode 9: digits and backspace; 0: no filter, as a plain
    // edit before it is subclassed.
    static constexpr int kDecimal = 8;
    static constexpr int kDigits = 9;

    CNumEdit(UiHost& ui, QWidget* parent = nullptr);
    void SetMode(int mode) { m_mode = mode; }
    int Mode() const { return m_mode; }
    // Whether a typed character gets through in the current mode.
    bool Accepts(QChar c) const;
    // The most characters the user may type, as an edit control's text limit: text set from
    // code is shown whole. 0: no limit.
    void SetLimitText(int limit) { m_limit = limit; }
    int LimitText() const { return m_limit; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    bool AcceptsAll(const QString& text) const;
    // Whether inserting text in place of the selection stays within the limit.
    bool Fits(const QString& text) const;
    UiHost& m_ui;
    int m_mode = 0;
    int m_limit = 0;
};

}  // namespace tav
