#include "diagpanel/SkinButton.h"

#include "diagpanel/SkinBitmaps.h"
#include "diagpanel/SkinPaint.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>

namespace nux {

SkinButton::SkinButton(Kind kind, int controlId, QWidget* parent)
    : QWidget(parent), m_kind(kind), m_controlId(controlId) {
    setProperty("controlId", controlId);
    setMouseTracking(true);
    // Focus by click and Tab, as dialog buttons have; the space key does nothing here.
    setFocusPolicy(Qt::StrongFocus);
    const int bitmap = kind == Kind::Key ? KeyBitmapFor(controlId) : static_cast<int>(kBmpExit);
    SetStripSource([bitmap] { return LoadSkinBitmap(bitmap); });
}

void SkinButton::SetStripSource(std::function<QImage()> source) {
    m_source = std::move(source);
    if (m_kind == Kind::Key) {
        m_strip = m_source();
        // The frame is drawn at the top-left corner; the button takes the frame's size.
        setFixedSize(m_strip.width() / kFrameCount, m_strip.height());
    }
    update();
}

SkinFrame SkinButton::CurrentFrame() const {
    SkinButtonFlags f = m_flags;
    f.enabled = isEnabled();
    return m_kind == Kind::Key ? ChooseKeyFrame(f) : ChooseExitFrame(f);
}

void SkinButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int frame = CurrentFrame();
    if (m_kind == Kind::Key) {
        const int fw = m_strip.width() / kFrameCount;
        p.drawImage(QPoint(0, 0), m_strip, QRect(frame * fw, 0, fw, m_strip.height()));
        return;
    }
    const QImage strip = m_source();
    if (strip.isNull()) return;
    const int fw = strip.width() / kFrameCount;
    const QImage face = strip.copy(frame * fw, 0, fw, strip.height());
    const QColor sample = face.pixelColor(kExitCorner, kExitCorner);
    DrawNineTiled(p, face, kExitCorner, rect());
    p.setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    p.setPen(WantsWhiteText(sample.red(), sample.green(), sample.blue()) ? Qt::white : Qt::black);
    p.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, windowTitle());
}

void SkinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    m_captured = true;
    m_flags.pressed = true;
    update();
}

void SkinButton::mouseDoubleClickEvent(QMouseEvent* event) {
    mousePressEvent(event);
}

void SkinButton::mouseMoveEvent(QMouseEvent* event) {
    const bool inside = rect().contains(event->position().toPoint());
    bool changed = inside != m_flags.mouseOver;
    m_flags.mouseOver = inside;
    if (m_captured && m_flags.pressed != inside) {
        m_flags.pressed = inside;
        changed = true;
    }
    if (changed) update();
}

void SkinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_captured) return;
    m_captured = false;
    const bool click = m_flags.pressed;
    m_flags.pressed = false;
    update();
    if (click) emit clicked(m_controlId);
}

void SkinButton::enterEvent(QEnterEvent*) {
    m_flags.mouseOver = true;
    update();
}

void SkinButton::leaveEvent(QEvent*) {
    m_flags.mouseOver = false;
    update();
}

void SkinButton::focusInEvent(QFocusEvent*) {
    m_flags.focused = true;
    update();
}

void SkinButton::focusOutEvent(QFocusEvent*) {
    m_flags.focused = false;
    update();
}

void SkinButton::OnCaptureLost() {
    m_captured = false;
    m_flags.pressed = false;
    update();
}

void SkinButton::hideEvent(QHideEvent* event) {
    // A hidden button can no longer be released over; it must not come back pressed.
    if (m_captured || m_flags.pressed || m_flags.mouseOver) {
        m_captured = false;
        m_flags.pressed = false;
        m_flags.mouseOver = false;
    }
    QWidget::hideEvent(event);
}

void SkinButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) OnCaptureLost();
    if (event->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(event);
}

} // namespace nux
