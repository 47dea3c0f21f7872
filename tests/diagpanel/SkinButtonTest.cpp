#include "diagpanel/SkinButton.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace nux;

namespace {
QApplication& App() {
    static int argc = 1;
    static char name[] = "skin";
    static char* argv[] = {name, nullptr};
    // Left alive to the end: tearing Qt down during static destruction crashes.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}
} // namespace

TEST(SkinButton, PressReleasedOutsideSendsNothingInsideClicks) {
    App();
    SkinButton key(SkinButton::Kind::Key, 1002);
    key.show();
    QSignalSpy spy(&key, &SkinButton::clicked);
    QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(key.CurrentFrame(), kFramePressed);
    QTest::mouseMove(&key, QPoint(200, 200));
    QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(200, 200));
    EXPECT_EQ(spy.count(), 0);
    QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1002);
    key.setEnabled(false);
    key.OnCaptureLost();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&key, &leave);
    EXPECT_EQ(key.CurrentFrame(), kFrameDisabled);
}
