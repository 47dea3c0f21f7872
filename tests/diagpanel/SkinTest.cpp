#include "diagpanel/SkinBitmaps.h"
#include "diagpanel/SkinPaint.h"
#include "diagpanel/SkinState.h"

#include <gtest/gtest.h>

using namespace nux;

namespace {
// Every source pixel tells where it came from.
QImage CoordImage(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixelColor(x, y, QColor(x * 8, y * 8, 77));
    return img;
}
QImage Tile(const QImage& src, int c, int w, int h) {
    QImage dst(w, h, QImage::Format_RGB888);
    dst.fill(Qt::black);
    QPainter p(&dst);
    DrawNineTiled(p, src, c, QRect(0, 0, w, h));
    p.end();
    return dst;
}
int SrcY(const QImage& d, int x, int y) {
    return d.pixelColor(x, y).green() / 8;
}
int SrcX(const QImage& d, int x, int y) {
    return d.pixelColor(x, y).red() / 8;
}
} // namespace

TEST(NineTile, ExactShortTallAndZeroCorner) {
    const QImage src = CoordImage(12, 12);
    EXPECT_EQ(Tile(src, 3, 12, 12), src);        // same size: a plain copy, no extra rows
    const QImage shortOne = Tile(src, 3, 12, 8); // middle cut to 2 rows
    EXPECT_EQ(SrcY(shortOne, 5, 4), 4);
    EXPECT_EQ(SrcY(shortOne, 5, 5), 9); // bottom band starts right after
    const QImage tall = Tile(src, 3, 30, 20);
    EXPECT_EQ(SrcY(tall, 5, 9), 6); // extra rows repeat the last c rows of the middle
    EXPECT_EQ(SrcY(tall, 5, 12), 6);
    EXPECT_EQ(SrcY(tall, 5, 19), 11);
    EXPECT_EQ(SrcX(tall, 9, 5), 3); // centre repeats every 6 columns
    EXPECT_EQ(SrcX(tall, 29, 5), 11);
    const QImage zero = Tile(src, 0, 12, 19); // only centre, extra rows of 5
    EXPECT_EQ(SrcY(zero, 0, 0), 0);
    EXPECT_EQ(SrcY(zero, 0, 12), 7);
    EXPECT_EQ(SrcY(zero, 0, 16), 11);
    EXPECT_EQ(SrcY(zero, 0, 17), 10); // last row cut to 2: the last 2 source rows
}

TEST(SkinBitmaps, SizesAndExitTextColour) {
    const int ids[] = {202, 203, 204, 206, 207, 210, 212, 213};
    const QSize sizes[] = {{15, 128}, {384, 22}, {164, 42}, {180, 42},
                           {212, 42}, {184, 42}, {164, 42}, {32, 32}};
    for (int i = 0; i < 8; ++i) {
        const QImage img = LoadSkinBitmap(ids[i]);
        EXPECT_EQ(img.size(), sizes[i]);
        EXPECT_EQ(img.depth(), 24);
    }
    const QImage exit = LoadSkinBitmap(kBmpExit);
    const QColor normal = exit.pixelColor(3, 3), pressed = exit.pixelColor(96 + 3, 3);
    EXPECT_FALSE(WantsWhiteText(normal.red(), normal.green(), normal.blue()));
    EXPECT_TRUE(WantsWhiteText(pressed.red(), pressed.green(), pressed.blue()));
}

TEST(NineTile, ClipSkipsBlocksItMisses) {
    const QImage src = CoordImage(12, 12);
    QImage dst(30, 20, QImage::Format_RGB888);
    dst.fill(Qt::black);
    QPainter p(&dst);
    const QRect clip(0, 0, 4, 4); // only the top-left corner block meets it
    DrawNineTiled(p, src, 3, QRect(0, 0, 30, 20), &clip);
    p.end();
    EXPECT_EQ(dst.pixelColor(1, 1), src.pixelColor(1, 1));
    EXPECT_EQ(dst.pixelColor(3, 1), src.pixelColor(3, 1)); // the first top-edge piece meets it too
    EXPECT_EQ(dst.pixelColor(20, 10), QColor(Qt::black));
    EXPECT_EQ(dst.pixelColor(28, 18), QColor(Qt::black));
    EXPECT_EQ(dst.pixelColor(1, 10), QColor(Qt::black));
}

TEST(NineTile, PanelBitmapsOverTheDialogSizes) {
    // The display frame (c = 6) over the display panel: corners as drawn, edges repeated,
    // the middle all display colour.
    const QImage frame = LoadSkinBitmap(kBmpDisplayFrame).convertToFormat(QImage::Format_RGB888);
    const QImage panel = Tile(frame, kDisplayCorner, 292, 72);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(panel.pixelColor(x, y), frame.pixelColor(x, y));
            EXPECT_EQ(panel.pixelColor(286 + x, 66 + y), frame.pixelColor(26 + x, 26 + y));
        }
    EXPECT_EQ(panel.pixelColor(150, 0), frame.pixelColor(6 + (150 - 6) % 20, 0));
    EXPECT_EQ(panel.pixelColor(0, 40), frame.pixelColor(0, 20 + (40 - 26) % 6)); // step 3 rows of 6
    for (QPoint p : {QPoint(6, 6), QPoint(146, 36), QPoint(285, 65)})
        EXPECT_EQ(panel.pixelColor(p), kDisplayLineColour);

    // The background (c = 1) over a dialog taller than 128 rows: every extra row repeats the
    // last middle row, so the lower part is one even colour.
    const QImage bg = LoadSkinBitmap(kBmpBackground).convertToFormat(QImage::Format_RGB888);
    const QImage dialog = Tile(bg, kBackgroundCorner, 320, 212);
    EXPECT_EQ(dialog.pixelColor(0, 0), bg.pixelColor(0, 0));
    EXPECT_EQ(dialog.pixelColor(319, 211), bg.pixelColor(14, 127));
    for (int y = 127; y < 211; ++y)
        EXPECT_EQ(dialog.pixelColor(100, y), bg.pixelColor(5, 126)) << y;
    EXPECT_EQ(dialog.pixelColor(100, 60), bg.pixelColor(1 + (100 - 1) % 13, 60));
    EXPECT_EQ(bg.pixelColor(5, 126), kLabelColour); // labels sit on their own colour
}
