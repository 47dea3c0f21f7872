#include "NuxScript.h"

#include "diagpanel/NuxDialog.h"
#include "diagpanel/SkinButton.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

#include <cstdio>
#include <deque>
#include <memory>

namespace nux {
namespace {

void Out(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QMessageBox::StandardButton ParseAnswer(const QString& word, bool& ok) {
    ok = true;
    if (word == QLatin1String("yes")) return QMessageBox::Yes;
    if (word == QLatin1String("no")) return QMessageBox::No;
    if (word == QLatin1String("ok")) return QMessageBox::Ok;
    if (word == QLatin1String("cancel")) return QMessageBox::Cancel;
    ok = false;
    return QMessageBox::Cancel;
}

// Every box the panel shows is still built and shown, then answered from the queue and
// reported, so nothing waits for a hand: the next queued answer, else Ok for a box that has
// it and No for a question.
class BoxAnswerer : public QObject {
  public:
    explicit BoxAnswerer(std::deque<QMessageBox::StandardButton> answers)
        : QObject(qApp), m_answers(std::move(answers)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (!box || event->type() != QEvent::Show || box->property("answered").toBool()) return false;
        box->setProperty("answered", true);
        QMessageBox::StandardButton answer =
            (box->standardButtons() & QMessageBox::Ok) ? QMessageBox::Ok : QMessageBox::No;
        if (!m_answers.empty()) {
            answer = m_answers.front();
            m_answers.pop_front();
        }
        Out("box " + box->windowTitle().toStdString() + ": " + box->text().toStdString());
        QPointer<QMessageBox> target(box);
        QTimer::singleShot(0, box, [target, answer] {
            if (target) target->done(answer);
        });
        return false;
    }

  private:
    std::deque<QMessageBox::StandardButton> m_answers;
};

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

void NuxScript::PrepareBoxes() const {
    std::deque<QMessageBox::StandardButton> answers;
    for (const QString& a : m_answers) {
        bool ok = false;
        answers.push_back(ParseAnswer(a, ok));
    }
    qApp->installEventFilter(new BoxAnswerer(std::move(answers)));
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
