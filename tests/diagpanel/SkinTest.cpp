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
        for (int x = 0; x < w; ++x) img.setPixelColor(x, y, QColor(x * 8, y * 8, 77));
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
int SrcY(const QImage& d, int x, int y) { return d.pixelColor(x, y).green() / 8; }
int SrcX(const QImage& d, int x, int y) { return d.pixelColor(x, y).red() / 8; }
} // namespace

TEST(NineTile, ExactShortTallAndZeroCorner) {
    const QImage src = CoordImage(12, 12);
    EXPECT_EQ(Tile(src, 3, 12, 12), src); // same size: a plain copy, no extra rows
    const QImage shortOne = Tile(src, 3, 12, 8); // middle cut to 2 rows
    EXPECT_EQ(SrcY(shortOne, 5, 4), 4);
    EXPECT_EQ(SrcY(shortOne, 5, 5), 9); // bottom band starts right after
    const QImage tall = Tile(src, 3, 30, 20);
    EXPECT_EQ(SrcY(tall, 5, 9), 6);  // extra rows repeat the last c rows of the middle
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
    const QSize sizes[] = {{15, 128}, {384, 22}, {164, 42}, {180, 42}, {212, 42}, {184, 42}, {164, 42}, {32, 32}};
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
