// The Qt UiHost: message boxes as asked, waits that keep painting but drop input, the wait
// cursor, and the filter form of the open-file dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "PageFixture.h"
#include "app/QtUiHost.h"

using namespace tav;

namespace {

// Answers the message box that is about to open by clicking the given button, after noting what it shows.
struct BoxSeen {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    Qt::CursorShape cursor = Qt::BlankCursor;
};

void AnswerNextBox(BoxSeen& seen, QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [&seen, press] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible()) continue;
            seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                    QApplication::overrideCursor() ? QApplication::overrideCursor()->shape()
                                                   : Qt::ArrowCursor};
            box->button(press)->click();
            return;
        }
    });
}

} // namespace

TEST(QtUiHostTest, MessageBoxesTakeCaptionIconAndButtons) {
    tavtest::QtApp();
    QtUiHost ui;
    BoxSeen seen;
    AnswerNextBox(seen, QMessageBox::No);
    EXPECT_EQ(ui.MessageBox("Delete all fonts?", "Panel", MsgIcon::Question, MsgButtons::YesNo),
              MsgResult::No);
    EXPECT_EQ(seen.title, "Panel");
    EXPECT_EQ(seen.text, "Delete all fonts?");
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);

    // Under the wait cursor the box itself shows the ordinary arrow; the wait cursor comes back.
    ui.BeginWaitCursor();
    AnswerNextBox(seen, QMessageBox::Ok);
    EXPECT_EQ(ui.MessageBox("프린터와 통신할 수 없습니다.", "Panel", MsgIcon::Error, MsgButtons::Ok),
              MsgResult::Ok);
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.text, QString::fromUtf8("프린터와 통신할 수 없습니다."));
    EXPECT_EQ(seen.cursor, Qt::ArrowCursor);
    ASSERT_TRUE(QApplication::overrideCursor());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.EndWaitCursor();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    AnswerNextBox(seen, QMessageBox::Cancel);
    EXPECT_EQ(ui.MessageBox("Replace?", "Panel", MsgIcon::Warning, MsgButtons::YesNoCancel),
              MsgResult::Cancel);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
}

TEST(QtUiHostTest, AWaitKeepsTimersRunningAndDropsClicks) {
    tavtest::QtApp();
    QtUiHost ui;
    QPushButton button("Send");
    button.show();
    int clicks = 0, ticks = 0;
    QObject::connect(&button, &QPushButton::clicked, [&] { ++clicks; });
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    QTimer::singleShot(30, [&] { QTest::mouseClick(&button, Qt::LeftButton); });
    ui.Wait(200);
    EXPECT_GT(ticks, 0);  // the event loop ran while waiting
    EXPECT_EQ(clicks, 0); // the click during the wait was dropped...
    QApplication::processEvents();
    EXPECT_EQ(clicks, 0); // ...not kept for after it
    QTest::mouseClick(&button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1); // and input works again afterwards

    ui.BeginWaitCursor(); // an operation under the wait cursor keeps input out too
    QTest::mouseClick(&button, Qt::LeftButton);
    ui.EndWaitCursor();
    EXPECT_EQ(clicks, 1);
}

TEST(QtUiHostTest, FileFilterInBothForms) {
    EXPECT_EQ(QtUiHost::QtFilter("Font files (*.sfp)|*.sfp|All files (*.*)|*.*||"),
              "Font files (*.sfp);;All files (*.*)");
    EXPECT_EQ(QtUiHost::QtFilter("Firmware|*.hex;*.bin|"), "Firmware (*.hex *.bin)");
    EXPECT_EQ(QtUiHost::QtFilter("Images (*.png *.jpg)"), "Images (*.png *.jpg)");
}
