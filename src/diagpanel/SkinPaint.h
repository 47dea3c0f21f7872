// Qt side of the skin: nine-part tiling onto a painter.
#pragma once
#include <QImage>
#include <QPainter>
#include <QRect>

namespace nux {

// Tiles `source` over `dest` with the given corner size; blocks outside `clip` are skipped.
void DrawNineTiled(QPainter& painter, const QImage& source, int corner, const QRect& dest,
                   const QRect* clip = nullptr);

} // namespace nux
