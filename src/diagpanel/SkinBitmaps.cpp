#include "diagpanel/SkinBitmaps.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace nux {
namespace {

struct FramePalette {
    QColor border;
    QColor faceTop;
    QColor faceBottom;
    QColor symbol;
    int symbolShift;
    bool shadow;
};

// Normal, pressed, hover, disabled.
const FramePalette kKeyPalettes[4] = {
    {QColor(112, 128, 166), QColor(255, 255, 255), QColor(220, 226, 240), QColor(38, 56, 100), 0, true},
    {QColor(34, 50, 92), QColor(62, 86, 138), QColor(84, 108, 160), QColor(255, 255, 255), 1, false},
    {QColor(62, 102, 194), QColor(248, 251, 255), QColor(204, 219, 248), QColor(24, 64, 156), 0, true},
    {QColor(162, 168, 182), QColor(232, 234, 239), QColor(222, 225, 232), QColor(128, 136, 154), 0, false},
};

const FramePalette kExitPalettes[4] = {
    {QColor(118, 132, 168), QColor(252, 253, 255), QColor(224, 229, 241), QColor(), 0, false},
    {QColor(32, 48, 90), QColor(66, 90, 142), QColor(56, 78, 126), QColor(), 0, false},
    {QColor(62, 102, 194), QColor(246, 250, 255), QColor(210, 223, 249), QColor(), 0, false},
    {QColor(166, 172, 186), QColor(234, 236, 240), QColor(226, 228, 234), QColor(), 0, false},
};

QColor Mix(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor(static_cast<int>(std::lround(a.red() + (b.red() - a.red()) * t)),
                  static_cast<int>(std::lround(a.green() + (b.green() - a.green()) * t)),
                  static_cast<int>(std::lround(a.blue() + (b.blue() - a.blue()) * t)));
}

// The dialog's colour at a given row: a soft light band at the top that settles into the label
// colour, so labels placed lower down sit on their own colour without a visible box.
QColor BackgroundAt(int row) {
    const QColor top(218, 225, 239);
    const double t = std::clamp((row - 1) / 88.0, 0.0, 1.0);
    return Mix(top, kLabelColour, t * t * (3 - 2 * t));
}

QImage NewCanvas(int w, int h, const QColor& fill) {
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

QImage To24Bit(const QImage& image) {
    return image.convertToFormat(QImage::Format_RGB888);
}

QImage DrawBackground() {
    QImage image = NewCanvas(15, 128, kLabelColour);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixelColor(x, y, BackgroundAt(y));
    const QColor light(240, 244, 251);
    const QColor dark(150, 162, 192);
    for (int x = 0; x < 15; ++x) {
        image.setPixelColor(x, 0, light);
        image.setPixelColor(x, 127, dark);
    }
    for (int y = 1; y < 127; ++y) {
        image.setPixelColor(0, y, Mix(BackgroundAt(y), light, 0.6));
        image.setPixelColor(14, y, Mix(BackgroundAt(y), dark, 0.6));
    }
    return To24Bit(image);
}

QImage DrawDisplayFrame() {
    QImage image = NewCanvas(32, 32, BackgroundAt(16));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The lower corners show the dialog's colour further down.
    p.fillRect(QRect(0, 16, 32, 16), kLabelColour);
    p.setPen(QPen(QColor(126, 140, 174), 1));
    p.setBrush(QColor(226, 229, 236));
    p.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 5, 5);
    // A recessed glass: darker rim at the top, the display colour inside.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(204, 209, 222));
    p.drawRoundedRect(QRectF(2, 2, 28, 28), 3.5, 3.5);
    p.setBrush(kDisplayLineColour);
    p.drawRoundedRect(QRectF(3, 4, 26, 25), 2.5, 2.5);
    p.end();
    return To24Bit(image);
}

void DrawFace(QPainter& p, const QRectF& rect, double radius, const FramePalette& pal) {
    QLinearGradient face(rect.topLeft(), rect.bottomLeft());
    face.setColorAt(0, pal.faceTop);
    face.setColorAt(1, pal.faceBottom);
    p.setPen(QPen(pal.border, 1));
    p.setBrush(face);
    p.drawRoundedRect(rect, radius, radius);
}

QImage DrawExitStrip() {
    const int fw = 96, fh = 22;
    QImage image = NewCanvas(fw * 4, fh, kLabelColour);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int f = 0; f < 4; ++f)
        DrawFace(p, QRectF(f * fw + 0.5, 0.5, fw - 1, fh - 1), 4, kExitPalettes[f]);
    p.end();
    return To24Bit(image);
}

enum class KeySymbol { Menu, Left, Enter, Right, Upper };

void DrawSymbol(QPainter& p, KeySymbol symbol, QPointF c, const QColor& colour) {
    p.setBrush(colour);
    p.setPen(Qt::NoPen);
    QPen stroke(colour, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    switch (symbol) {
    case KeySymbol::Menu:
        for (int i = -1; i <= 1; ++i)
            p.drawRoundedRect(QRectF(c.x() - 8, c.y() + i * 5.5 - 1.4, 16, 2.8), 1.4, 1.4);
        break;
    case KeySymbol::Left:
    case KeySymbol::Right: {
        const double dir = symbol == KeySymbol::Left ? -1 : 1;
        QPainterPath tri;
        tri.moveTo(c.x() + dir * 6, c.y());
        tri.lineTo(c.x() - dir * 4.5, c.y() - 7.5);
        tri.lineTo(c.x() - dir * 4.5, c.y() + 7.5);
        tri.closeSubpath();
        p.drawPath(tri);
        break;
    }
    case KeySymbol::Enter: {
        p.setPen(stroke);
        p.setBrush(Qt::NoBrush);
        QPainterPath hook;
        hook.moveTo(c.x() + 8, c.y() - 7);
        hook.lineTo(c.x() + 8, c.y() + 2);
        hook.lineTo(c.x() - 5, c.y() + 2);
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        QPainterPath head;
        head.moveTo(c.x() - 10, c.y() + 2);
        head.lineTo(c.x() - 3.5, c.y() - 3.5);
        head.lineTo(c.x() - 3.5, c.y() + 7.5);
        head.closeSubpath();
        p.drawPath(head);
        break;
    }
    case KeySymbol::Upper: {
        p.setPen(stroke);
        p.drawLine(QPointF(c.x(), c.y() + 8), QPointF(c.x(), c.y() - 2));
        p.setPen(Qt::NoPen);
        QPainterPath head;
        head.moveTo(c.x(), c.y() - 9);
        head.lineTo(c.x() - 6.5, c.y() - 1.5);
        head.lineTo(c.x() + 6.5, c.y() - 1.5);
        head.closeSubpath();
        p.drawPath(head);
        break;
    }
    }
}

QImage DrawKeyStrip(int frameWidth, KeySymbol symbol) {
    const int fh = 42;
    QImage image = NewCanvas(frameWidth * 4, fh, kLabelColour);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int f = 0; f < 4; ++f) {
        const FramePalette& pal = kKeyPalettes[f];
        const double x0 = f * frameWidth;
        if (pal.shadow) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(150, 162, 194));
            p.drawRoundedRect(QRectF(x0 + 1, 2, frameWidth - 2, fh - 3), 6, 6);
        }
        const double drop = pal.shadow ? 0 : 1;
        DrawFace(p, QRectF(x0 + 1.5, 1.5 + drop, frameWidth - 3, fh - 4), 6, pal);
        DrawSymbol(p, symbol, QPointF(x0 + frameWidth / 2.0, fh / 2.0 - 1 + pal.symbolShift + drop),
                   pal.symbol);
    }
    p.end();
    return To24Bit(image);
}

} // namespace

QImage LoadSkinBitmap(int id) {
    switch (id) {
    case kBmpBackground:
        return DrawBackground();
    case kBmpExit:
        return DrawExitStrip();
    case kBmpKeyMenu:
        return DrawKeyStrip(41, KeySymbol::Menu);
    case kBmpKeyLeft:
        return DrawKeyStrip(45, KeySymbol::Left);
    case kBmpKeyEnter:
        return DrawKeyStrip(53, KeySymbol::Enter);
    case kBmpKeyRight:
        return DrawKeyStrip(46, KeySymbol::Right);
    case kBmpKeyUpper:
        return DrawKeyStrip(41, KeySymbol::Upper);
    case kBmpDisplayFrame:
        return DrawDisplayFrame();
    default:
        return {};
    }
}

int KeyBitmapFor(int controlId) {
    switch (controlId) {
    case 1000:
        return kBmpKeyMenu;
    case 1001:
        return kBmpKeyLeft;
    case 1002:
        return kBmpKeyEnter;
    case 1003:
        return kBmpKeyRight;
    case 1004:
        return kBmpKeyUpper;
    default:
        return 0;
    }
}

QImage DrawAppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size / 32.0;
    p.scale(s, s);
    p.setPen(QPen(QColor(32, 48, 90), 1));
    p.setBrush(QColor(62, 86, 138));
    p.drawRoundedRect(QRectF(1.5, 3.5, 29, 25), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(kDisplayLineColour);
    p.drawRoundedRect(QRectF(5, 7, 22, 11), 2, 2);
    p.setBrush(QColor(38, 56, 100));
    p.drawRect(QRectF(8, 9.5, 16, 2));
    p.drawRect(QRectF(8, 13.5, 11, 2));
    p.setBrush(QColor(220, 226, 240));
    for (int i = 0; i < 3; ++i)
        p.drawEllipse(QPointF(10 + i * 6, 23.5), 2, 2);
    p.end();
    return image;
}

} // namespace nux
