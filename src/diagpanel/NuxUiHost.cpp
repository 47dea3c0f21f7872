#include "diagpanel/NuxUiHost.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "platform/QtMessageBox.h"
#include "platform/WaitClock.h"

namespace nux {

tav::MsgResult NuxUiHost::MessageBox(const std::string& text, const std::string& caption, tav::MsgIcon icon,
                                     tav::MsgButtons buttons) {
    // The printer's display text is single bytes, not UTF-8.
    return tav::RunMessageBox(m_owner, QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())),
                              QString::fromStdString(caption), icon, buttons);
}

void NuxUiHost::BeginWaitCursor() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void NuxUiHost::EndWaitCursor() {
    QApplication::restoreOverrideCursor();
}

void NuxUiHost::Wait(unsigned milliseconds) {
    // The window keeps painting, but no click gets in while the printer is busy.
    const auto length = static_cast<qint64>(tav::CurrentWaitClock().RealLength(milliseconds));
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < length) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
        QThread::msleep(10);
    }
}

std::optional<std::string> NuxUiHost::OpenFileDialog(const std::string& title, const std::string& filter,
                                                     const std::string& initialFolder) {
    const QString file =
        QFileDialog::getOpenFileName(m_owner, QString::fromStdString(title),
                                     QString::fromStdString(initialFolder), QString::fromStdString(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

void NuxUiHost::Beep() {
    QApplication::beep();
}

void NuxUiHost::OpenHelp(const std::string& helpFile) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(helpFile)));
}

void NuxUiHost::ShowPopupHelp(const std::string& helpFile, uint32_t) {
    OpenHelp(helpFile);
}

} // namespace nux
