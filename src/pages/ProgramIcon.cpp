#include "pages/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tav {

QImage DrawProgramIcon(int size) {
    QImage pm(size, size, QImage::Format_ARGB32_Premultiplied);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(QPen(QColor(40, 52, 70), 2));
    // Sheet going in at the back.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(18, 6, 28, 20));
    // Body.
    QLinearGradient body(0, 22, 0, 50);
    body.setColorAt(0, QColor(96, 125, 160));
    body.setColorAt(1, QColor(52, 76, 108));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(6, 22, 52, 26), 5, 5);
    // Printed sheet coming out, with lines of text.
    p.setBrush(Qt::white);
    p.drawRect(QRectF(16, 40, 32, 18));
    p.setPen(QPen(QColor(120, 130, 145), 1.5));
    for (int y : {46, 50, 54})
        p.drawLine(QPointF(20, y), QPointF(44, y));
    // Status light.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 210, 120));
    p.drawEllipse(QPointF(50, 30), 2.6, 2.6);
    p.end();
    return pm;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int s : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(s)));
    return icon;
}

} // namespace tav
