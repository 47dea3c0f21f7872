#include "pages/OrientationPicture.h"

#include <QPainter>
#include <QPainterPath>

namespace tav {

QPixmap OrientationPicture(bool landscape, const QPalette& palette) {
    const qreal ratio = 2.0;
    const QSize logical(44, 44);
    QPixmap pm(logical * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF sheet = landscape ? QRectF(3.5, 9.5, 37, 27) : QRectF(9.5, 3.5, 27, 37);
    const qreal fold = 8;
    QPainterPath outline;
    outline.moveTo(sheet.topLeft());
    outline.lineTo(sheet.right() - fold, sheet.top());
    outline.lineTo(sheet.right(), sheet.top() + fold);
    outline.lineTo(sheet.bottomRight());
    outline.lineTo(sheet.bottomLeft());
    outline.closeSubpath();
    p.setPen(QPen(palette.color(QPalette::WindowText), 1.2));
    p.setBrush(palette.color(QPalette::Base));
    p.drawPath(outline);
    QPainterPath corner;
    corner.moveTo(sheet.right() - fold, sheet.top());
    corner.lineTo(sheet.right() - fold, sheet.top() + fold);
    corner.lineTo(sheet.right(), sheet.top() + fold);
    p.setBrush(palette.color(QPalette::Mid));
    p.drawPath(corner);
    // A large letter and text lines show which way is up.
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(13);
    p.setFont(f);
    p.setPen(palette.color(QPalette::Highlight));
    p.drawText(QRectF(sheet.left() + 3, sheet.top() + 2, 14, 15), Qt::AlignCenter, QStringLiteral("A"));
    p.setPen(QPen(palette.color(QPalette::Mid), 1.5));
    for (qreal y = sheet.top() + 20; y < sheet.bottom() - 3; y += 4)
        p.drawLine(QPointF(sheet.left() + 4, y), QPointF(sheet.right() - 4, y));
    return pm;
}

} // namespace tav
