#include "pages/NumEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace tav {

CNumEdit::CNumEdit(UiHost& ui, QWidget* parent) : QLineEdit(parent), m_ui(ui) {
    // Dropped text would bypass the filter.
    setAcceptDrops(false);
}

bool CNumEdit::Accepts(QChar c) const {
    if (m_mode != kDecimal && m_mode != kDigits) return true;
    if (c == QChar('\b')) return true;
    if (c >= QChar('0') && c <= QChar('9')) return true;
    return m_mode == kDecimal && c == QChar('.');
}

bool CNumEdit::AcceptsAll(const QString& text) const {
    for (QChar c : text)
        if (!Accepts(c)) return false;
    return true;
}

bool CNumEdit::Fits(const QString& text) const {
    if (m_limit <= 0) return true;
    return this->text().size() - selectedText().size() + text.size() <= m_limit;
}

void CNumEdit::keyPressEvent(QKeyEvent* event) {
    // Pasting is typing many characters at once: all of them must pass.
    if (event->matches(QKeySequence::Paste)) {
        const QClipboard* clip = QGuiApplication::clipboard();
        if (clip && (!AcceptsAll(clip->text()) || !Fits(clip->text()))) {
            m_ui.Beep();
            event->accept();
            return;
        }
        return QLineEdit::keyPressEvent(event);
    }
    const QString text = event->text();
    // Keys that type nothing (arrows, Delete, Home), the dialog's own keys and editing shortcuts
    // such as copy and undo are no characters of the field.
    const bool shortcut = (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) != 0;
    const int key = event->key();
    if (text.isEmpty() || shortcut || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
        key == Qt::Key_Tab || key == Qt::Key_Backtab)
        return QLineEdit::keyPressEvent(event);
    // Backspace types a control character but removes one.
    const bool removes = text == QStringLiteral("\b");
    if (!AcceptsAll(text) || (!removes && !Fits(text))) {
        m_ui.Beep();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CNumEdit::inputMethodEvent(QInputMethodEvent* event) {
    if (!AcceptsAll(event->commitString()) || !Fits(event->commitString())) {
        m_ui.Beep();
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

}  // namespace tav
