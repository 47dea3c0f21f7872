#include "app/QtUiHost.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileDialog>
#include <QStringList>
#include <QThread>
#include <QUrl>
#include <QWhatsThis>

#include "pages/CsHelp.h"
#include "pages/TavPage.h"
#include "platform/QtMessageBox.h"
#include "platform/WaitClock.h"

namespace tav {
namespace {

QString Q(const std::string& s) {
    return FromStd(s);
}

bool IsUserInput(QEvent::Type t) {
    switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::Close:
        return true;
    default:
        return false;
    }
}

// Counts a modal dialog of ours, during which the cursor is the ordinary arrow again.
class ModalScope {
  public:
    ModalScope(int& depth, bool cursorOverridden) : m_depth(depth), m_cursor(cursorOverridden) {
        ++m_depth;
        if (m_cursor) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ModalScope() {
        if (m_cursor) QApplication::restoreOverrideCursor();
        --m_depth;
    }
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

  private:
    int& m_depth;
    bool m_cursor;
};

} // namespace

QtUiHost::QtUiHost() {
    qApp->installEventFilter(this);
}

QtUiHost::~QtUiHost() {
    if (qApp) qApp->removeEventFilter(this);
    while (m_cursorDepth > 0)
        EndWaitCursor();
}

bool QtUiHost::eventFilter(QObject* watched, QEvent* event) {
    // Input that arrives while the printer is being talked to is dropped, not kept for later:
    // a second click on Send must not start a second job after the first one ends.
    if (Blocking() && IsUserInput(event->type())) return true;
    return QObject::eventFilter(watched, event);
}

MsgResult QtUiHost::MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                               MsgButtons buttons) {
    ModalScope modal(m_modalDepth, m_cursorDepth > 0);
    return RunMessageBox(QApplication::activeWindow(), Q(text), Q(caption), icon, buttons);
}

void QtUiHost::BeginWaitCursor() {
    ++m_cursorDepth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUiHost::EndWaitCursor() {
    if (m_cursorDepth == 0) return;
    --m_cursorDepth;
    QApplication::restoreOverrideCursor();
}

void QtUiHost::Wait(unsigned milliseconds) {
    ++m_waitDepth;
    QElapsedTimer timer;
    timer.start();
    const qint64 total = CurrentWaitClock().RealLength(milliseconds);
    for (;;) {
        // Paint and timers go on (and the quit message is heard). User input is let through the
        // queue so that the event filter drops it now; held back, it would act after the wait.
        QApplication::processEvents(QEventLoop::AllEvents);
        const qint64 left = total - timer.elapsed();
        if (left <= 0) break;
        QThread::msleep(static_cast<unsigned long>(std::min<qint64>(left, 20)));
    }
    --m_waitDepth;
}

QString QtUiHost::QtFilter(const std::string& filter) {
    const QString f = Q(filter);
    if (!f.contains('|')) return f;
    QStringList parts = f.split('|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty()) continue;
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // The description often repeats the pattern already; Qt takes the last parentheses.
        out << (parts[i].contains('(') ? parts[i] : parts[i] + " (" + patterns + ")");
        if (parts[i].contains('(') && !parts[i].endsWith(')')) out.back() += " (" + patterns + ")";
    }
    return out.join(";;");
}

std::optional<std::string> QtUiHost::OpenFileDialog(const std::string& title, const std::string& filter,
                                                    const std::string& initialFolder) {
    QString chosen;
    {
        ModalScope modal(m_modalDepth, m_cursorDepth > 0);
        chosen = QFileDialog::getOpenFileName(QApplication::activeWindow(), Q(title), Q(initialFolder),
                                              QtFilter(filter));
    }
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

void QtUiHost::Beep() {
    QApplication::beep();
}

void QtUiHost::OpenHelp(const std::string& helpFile) {
    if (helpFile.empty()) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(Q(helpFile)));
}

void QtUiHost::ShowPopupHelp(const std::string& helpFile, uint32_t helpId) {
    const std::string text = CsHelpText(helpFile, helpId);
    if (text.empty()) return;
    QWhatsThis::showText(QCursor::pos(), Q(text).toHtmlEscaped().replace('\n', "<br>"));
}

} // namespace tav
