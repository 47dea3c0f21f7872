#include "diagpanel/SkinButton.h"
#include "QtApp.h"
#include "diagpanel/SkinBitmaps.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using namespace nux;

namespace {
QImage Frame(const QImage& strip, int frame) {
    const int fw = strip.width() / kFrameCount;
    return strip.copy(frame * fw, 0, fw, strip.height()).convertToFormat(QImage::Format_RGB32);
}
QImage Shot(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}
void Enter(QWidget& w) {
    QEnterEvent e(QPointF(5, 5), QPointF(5, 5), w.mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(&w, &e);
}
void Leave(QWidget& w) {
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(&w, &e);
}
// The text drawn on a face: compares the button with and without its text and tells how many
// pixels got lighter and how many darker.
struct TextInk {
    int lighter = 0;
    int darker = 0;
};
TextInk Ink(SkinButton& b) {
    const QString title = b.windowTitle();
    b.setWindowTitle(QString());
    const QImage bare = Shot(b);
    b.setWindowTitle(title);
    const QImage text = Shot(b);
    TextInk ink;
    for (int y = 0; y < text.height(); ++y)
        for (int x = 0; x < text.width(); ++x) {
            const int d = qGray(text.pixel(x, y)) - qGray(bare.pixel(x, y));
            if (d > 40) ++ink.lighter;
            if (d < -40) ++ink.darker;
        }
    return ink;
}
} // namespace

TEST(SkinButton, EachKeyShowsTheFrameOfItsState) {
    TestApp();
    for (int id = 1000; id <= 1004; ++id) {
        SCOPED_TRACE(id);
        const QImage strip = LoadSkinBitmap(KeyBitmapFor(id));
        SkinButton key(SkinButton::Kind::Key, id);
        key.show();
        EXPECT_EQ(key.size(), QSize(strip.width() / 4, strip.height())); // the button takes the frame's size
        EXPECT_EQ(key.CurrentFrame(), kFrameNormal);
        EXPECT_EQ(Shot(key), Frame(strip, kFrameNormal));
        key.setFocus();
        EXPECT_EQ(Shot(key), Frame(strip, kFrameNormal)); // a key never shows focus
        Enter(key);
        EXPECT_EQ(Shot(key), Frame(strip, kFrameHover));
        QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(10, 10));
        EXPECT_EQ(Shot(key), Frame(strip, kFramePressed));
        QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(10, 10));
        Leave(key);
        key.setEnabled(false);
        EXPECT_EQ(Shot(key), Frame(strip, kFrameDisabled));
    }
    // The four frames of every strip differ, so each state can be told on screen.
    for (int id = 1000; id <= 1004; ++id) {
        const QImage strip = LoadSkinBitmap(KeyBitmapFor(id));
        for (int a = 0; a < 4; ++a)
            for (int b = a + 1; b < 4; ++b)
                EXPECT_NE(Frame(strip, a), Frame(strip, b)) << id << " " << a << b;
    }
}

TEST(SkinButton, PressCountsOnlyWhenReleasedInside) {
    TestApp();
    SkinButton key(SkinButton::Kind::Key, 1002);
    key.show();
    QSignalSpy spy(&key, &SkinButton::clicked);

    // Out and released outside: nothing.
    QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(key.CurrentFrame(), kFramePressed);
    QTest::mouseMove(&key, QPoint(200, 200));
    EXPECT_FALSE(key.Flags().pressed);
    QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(200, 200));
    EXPECT_EQ(spy.count(), 0);

    // Out and back in before release: a click.
    QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(&key, QPoint(200, 10));
    QTest::mouseMove(&key, QPoint(12, 12));
    EXPECT_TRUE(key.Flags().pressed);
    QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(12, 12));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 1002);
    EXPECT_FALSE(key.Flags().pressed);

    // A double click presses like a button down: the release after it clicks.
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(10, 10), key.mapToGlobal(QPointF(10, 10)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&key, &dbl);
    EXPECT_TRUE(key.Flags().pressed);
    QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(spy.count(), 2);
    const int afterDouble = spy.count();

    // The right button and the space key do nothing.
    QTest::mouseClick(&key, Qt::RightButton, {}, QPoint(10, 10));
    key.setFocus();
    QTest::keyClick(&key, Qt::Key_Space);
    EXPECT_EQ(spy.count(), afterDouble);

    // Losing the capture clears the press: the release that follows sends nothing.
    QTest::mousePress(&key, Qt::LeftButton, {}, QPoint(10, 10));
    key.OnCaptureLost();
    EXPECT_NE(key.CurrentFrame(), kFramePressed);
    EXPECT_FALSE(key.Flags().pressed);
    QTest::mouseRelease(&key, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(spy.count(), afterDouble);
}

TEST(SkinButton, ExitFramesFocusAndDisabled) {
    TestApp();
    SkinButton exit(SkinButton::Kind::Exit, 1);
    exit.resize(96, 22);
    exit.show();
    EXPECT_EQ(exit.CurrentFrame(), kFrameNormal);
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&exit, &in);
    EXPECT_EQ(exit.CurrentFrame(), kFrameHover); // focus looks like hover on Exit
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(&exit, &out);
    EXPECT_EQ(exit.CurrentFrame(), kFrameNormal);
    Enter(exit);
    EXPECT_EQ(exit.CurrentFrame(), kFrameHover);
    QTest::mousePress(&exit, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(exit.CurrentFrame(), kFramePressed);
    exit.OnCaptureLost();
    exit.setEnabled(false);
    EXPECT_EQ(exit.CurrentFrame(), kFrameDisabled);
    // At the strip's own size the tiling is a plain copy: the disabled frame shows as drawn
    // (apart from the text in the middle).
    const QImage shot = Shot(exit);
    const QImage frame = Frame(LoadSkinBitmap(kBmpExit), kFrameDisabled);
    for (QPoint p : {QPoint(0, 0), QPoint(95, 21), QPoint(3, 11), QPoint(50, 1), QPoint(2, 20)})
        EXPECT_EQ(shot.pixel(p), frame.pixel(p)) << p.x() << "," << p.y();
}

TEST(SkinButton, ExitTextIsWhiteOnADarkFrameAndBlackOnALightOne) {
    TestApp();
    SkinButton exit(SkinButton::Kind::Exit, 1);
    exit.setWindowTitle("Exit");
    exit.resize(120, 30); // larger than a frame: tiled
    exit.show();
    // The panel's own strip: normal is light, pressed is dark.
    TextInk ink = Ink(exit);
    EXPECT_GT(ink.darker, 10);
    EXPECT_EQ(ink.lighter, 0);
    QTest::mousePress(&exit, Qt::LeftButton, {}, QPoint(10, 10));
    ink = Ink(exit);
    EXPECT_GT(ink.lighter, 10);
    EXPECT_EQ(ink.darker, 0);
    QTest::mouseRelease(&exit, Qt::LeftButton, {}, QPoint(10, 10));

    // The rule follows the pixel at (3, 3), not the state: a strip whose normal frame samples
    // exactly 384 (dark enough) and whose pressed frame samples 385 turns the colours round.
    QImage strip(384, 22, QImage::Format_RGB888);
    strip.fill(QColor(90, 90, 90));
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 96; ++x) {
            strip.setPixelColor(x, y, QColor(128, 128, 128));      // normal, 384: white text
            strip.setPixelColor(96 + x, y, QColor(128, 128, 129)); // pressed, 385: black text
        }
    exit.SetStripSource([strip] { return strip; });
    Leave(exit);
    ink = Ink(exit);
    EXPECT_GT(ink.lighter, 10);
    EXPECT_EQ(ink.darker, 0);
    QTest::mousePress(&exit, Qt::LeftButton, {}, QPoint(10, 10));
    ink = Ink(exit);
    EXPECT_GT(ink.darker, 10);
    EXPECT_EQ(ink.lighter, 0);
}
