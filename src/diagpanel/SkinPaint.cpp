#include "diagpanel/SkinPaint.h"

#include "diagpanel/NineTile.h"

namespace nux {

void DrawNineTiled(QPainter& painter, const QImage& source, int corner, const QRect& dest,
                   const QRect* clip) {
    if (source.isNull()) return;
    const TileRect d{dest.left(), dest.top(), dest.left() + dest.width(), dest.top() + dest.height()};
    TileRect c;
    if (clip) c = {clip->left(), clip->top(), clip->left() + clip->width(), clip->top() + clip->height()};
    TileNineParts(source.width(), source.height(), corner, d, clip ? &c : nullptr, [&](const TileBlit& b) {
        painter.drawImage(QPoint(b.dstX, b.dstY), source, QRect(b.srcX, b.srcY, b.w, b.h));
    });
}

} // namespace nux
