// A key or Exit button painted from a four-frame strip, with its own mouse handling: a click
// only counts when the button is released while the pointer is still over it.
#pragma once
#include "diagpanel/SkinState.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace nux {

class SkinButton : public QWidget {
    Q_OBJECT
  public:
    enum class Kind { Key, Exit };
    SkinButton(Kind kind, int controlId, QWidget* parent = nullptr);

    SkinFrame CurrentFrame() const;
    // Where the strip comes from: a key keeps its frames for its life, Exit loads them at
    // each paint. By default the panel's own bitmap for the control id.
    void SetStripSource(std::function<QImage()> source);
    const SkinButtonFlags& Flags() const { return m_flags; }
    // What losing the mouse capture does; also used when the window loses activation.
    void OnCaptureLost();

  signals:
    void clicked(int controlId);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    Kind m_kind;
    int m_controlId;
    std::function<QImage()> m_source;
    QImage m_strip; // a key's frames live as long as the button
    SkinButtonFlags m_flags;
    bool m_captured = false;
};

} // namespace nux
