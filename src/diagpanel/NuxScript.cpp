#include "diagpanel/NuxScript.h"

#include "diagpanel/NuxDialog.h"
#include "diagpanel/NuxUiHost.h"
#include "diagpanel/SkinButton.h"

#include <QApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <memory>

namespace nux {
namespace {

void Out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

tav::MsgResult ParseAnswer(const QString& word, bool& ok) {
    ok = true;
    if (word == QLatin1String("yes")) return tav::MsgResult::Yes;
    if (word == QLatin1String("no")) return tav::MsgResult::No;
    if (word == QLatin1String("ok")) return tav::MsgResult::Ok;
    if (word == QLatin1String("cancel")) return tav::MsgResult::Cancel;
    ok = false;
    return tav::MsgResult::Cancel;
}

void SendMouse(QWidget* w, QEvent::Type type, Qt::MouseButtons buttons) {
    const QPointF local = QRectF(w->rect()).center();
    QMouseEvent event(type, local, w->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

void SendCrossing(QWidget* w, bool enter) {
    if (enter) {
        const QPointF local = QRectF(w->rect()).center();
        QEnterEvent event(local, local, w->mapToGlobal(local));
        QApplication::sendEvent(w, &event);
    } else {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(w, &event);
    }
}

void RunStep(NuxDialog& dialog, const QString& step) {
    const QString verb = step.section(QLatin1Char(' '), 0, 0);
    const QString arg = step.section(QLatin1Char(' '), 1).trimmed();
    if (verb == QLatin1String("print")) {
        Out("line1=" + dialog.DisplayText(1).toStdString());
        Out("line2=" + dialog.DisplayText(2).toStdString());
        return;
    }
    if (verb == QLatin1String("wait-for")) return; // its file is there
    if (verb == QLatin1String("grab")) {
        if (!dialog.grab().save(arg, "PNG")) Out("grab failed: " + arg.toStdString());
        return;
    }
    SkinButton* button = dialog.Button(arg.toInt());
    if (!button) {
        Out("no button " + arg.toStdString());
        return;
    }
    if (verb == QLatin1String("hover")) {
        SendCrossing(button, true);
    } else if (verb == QLatin1String("leave")) {
        SendCrossing(button, false);
    } else if (verb == QLatin1String("press")) {
        SendMouse(button, QEvent::MouseButtonPress, Qt::LeftButton);
    } else if (verb == QLatin1String("release")) {
        SendMouse(button, QEvent::MouseButtonRelease, Qt::NoButton);
    } else if (verb == QLatin1String("click")) {
        SendMouse(button, QEvent::MouseButtonPress, Qt::LeftButton);
        SendMouse(button, QEvent::MouseButtonRelease, Qt::NoButton);
    }
}

} // namespace

bool NuxScript::Load(const QString& path, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    static const QStringList kVerbs = {"click", "press", "release", "hover",   "leave",
                                       "grab",  "print", "answer",  "wait-for"};
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QString verb = line.section(QLatin1Char(' '), 0, 0);
        const QString arg = line.section(QLatin1Char(' '), 1).trimmed();
        bool ok = kVerbs.contains(verb);
        if (ok && verb == QLatin1String("answer")) {
            ParseAnswer(arg, ok);
            if (ok) m_answers << arg;
            continue;
        }
        if (ok && verb != QLatin1String("print")) ok = !arg.isEmpty();
        if (!ok) {
            error = QStringLiteral("%1 line %2: not understood: %3").arg(path).arg(number).arg(line);
            return false;
        }
        m_steps << line;
    }
    return true;
}

void NuxScript::PrepareBoxes(NuxUiHost& ui) const {
    for (const QString& a : m_answers) {
        bool ok = false;
        ui.QueueAnswer(ParseAnswer(a, ok));
    }
    ui.AnswerAutomatically(Out);
}

namespace {
struct Runner {
    QStringList steps;
    QPointer<NuxDialog> target;
};

void Step(const std::shared_ptr<Runner>& r) {
    if (!r->target || r->steps.isEmpty() || r->target->ExitCode() != 0) return;
    const QString& step = r->steps.first();
    if (step.startsWith(QLatin1String("wait-for ")) &&
        !QFile::exists(step.section(QLatin1Char(' '), 1).trimmed())) {
        // The window stays live while the script waits for its cue.
        QTimer::singleShot(20, [r] { Step(r); });
        return;
    }
    RunStep(*r->target, r->steps.takeFirst());
    QTimer::singleShot(0, [r] { Step(r); });
}
} // namespace

void NuxScript::Start(NuxDialog& dialog) const {
    auto runner = std::make_shared<Runner>(Runner{m_steps, QPointer<NuxDialog>(&dialog)});
    QTimer::singleShot(0, [runner] { Step(runner); });
}

} // namespace nux
