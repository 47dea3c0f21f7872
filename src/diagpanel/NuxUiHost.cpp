#include "diagpanel/NuxUiHost.h"

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "platform/WaitClock.h"

namespace nux {
namespace {

QMessageBox::StandardButtons ToQt(tav::MsgButtons b) {
    switch (b) {
    case tav::MsgButtons::Ok:
        return QMessageBox::Ok;
    case tav::MsgButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case tav::MsgButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case tav::MsgButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon ToQt(tav::MsgIcon i) {
    switch (i) {
    case tav::MsgIcon::None:
        return QMessageBox::NoIcon;
    case tav::MsgIcon::Error:
        return QMessageBox::Critical;
    case tav::MsgIcon::Warning:
        return QMessageBox::Warning;
    case tav::MsgIcon::Information:
        return QMessageBox::Information;
    case tav::MsgIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

tav::MsgResult FromQt(int button) {
    switch (button) {
    case QMessageBox::Yes:
        return tav::MsgResult::Yes;
    case QMessageBox::No:
        return tav::MsgResult::No;
    case QMessageBox::Ok:
        return tav::MsgResult::Ok;
    default:
        return tav::MsgResult::Cancel;
    }
}

QMessageBox::StandardButton ToButton(tav::MsgResult r) {
    switch (r) {
    case tav::MsgResult::Yes:
        return QMessageBox::Yes;
    case tav::MsgResult::No:
        return QMessageBox::No;
    case tav::MsgResult::Ok:
        return QMessageBox::Ok;
    case tav::MsgResult::Cancel:
        return QMessageBox::Cancel;
    }
    return QMessageBox::Cancel;
}

} // namespace

void NuxUiHost::AnswerAutomatically(std::function<void(const std::string&)> report) {
    m_automatic = true;
    m_report = std::move(report);
}

tav::MsgResult NuxUiHost::MessageBox(const std::string& text, const std::string& caption, tav::MsgIcon icon,
                                     tav::MsgButtons buttons) {
    // Jobs hold control bytes and printer text can look like markup: always plain text.
    QMessageBox box(ToQt(icon), QString::fromStdString(caption),
                    QString::fromLatin1(text.data(), text.size()), ToQt(buttons), m_owner);
    box.setTextFormat(Qt::PlainText);
    if (m_automatic) {
        tav::MsgResult answer = buttons == tav::MsgButtons::Ok || buttons == tav::MsgButtons::OkCancel
                                    ? tav::MsgResult::Ok
                                    : tav::MsgResult::No;
        if (!m_answers.empty()) {
            answer = m_answers.front();
            m_answers.pop_front();
        }
        if (m_report) m_report("box " + caption + ": " + text);
        const QMessageBox::StandardButton button = ToButton(answer);
        QTimer::singleShot(0, &box, [&box, button] { box.done(button); });
    }
    return FromQt(box.exec());
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
