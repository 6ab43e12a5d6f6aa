#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QWidget>

#include <optional>

namespace quillet {

class OverlaySelector;

// The area selector's window on one screen: a borderless window above everything that dims the
// screen, shows the selection as a clear hole with a dashed edge and its size, and the option pills.
// With a compositor it is translucent over the live desktop; without one it shows a frozen picture
// of the screen taken as it opened, since an X window cannot be see-through then.
class SelectionView final : public QWidget {
public:
    // `frozen` is the screen's picture (opaque RGB32), or null for a translucent window.
    SelectionView(QScreen* screen, OverlaySelector& selector, QImage frozen);

    // Shows the view over its whole screen: on Wayland as a full-screen window, the only way a client
    // can have the compositor put it at the screen's corner.
    void open();
    // Whether the view lies where its coordinates say: always on X11; on Wayland once the compositor
    // has made it full screen (until then its place is the compositor's guess).
    [[nodiscard]] bool coversItsScreen() const;

    // The drag on this view changed from `before` to what the selector reports now.
    void selectionChanged(const std::optional<QRect>& before);

    // Where the two option pills were last drawn (local coordinates); empty until drawn.
    [[nodiscard]] const QRectF& microphonePill() const { return microphonePill_; }
    [[nodiscard]] const QRectF& clicksPill() const { return clicksPill_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void paintBackground(QPainter& painter, const std::optional<QRect>& selection) const;
    void paintSelection(QPainter& painter, const QRect& selection) const;
    void paintOptions(QPainter& painter);
    [[nodiscard]] QRect decoration(const std::optional<QRect>& selection) const;

    OverlaySelector& selector_;
    QImage frozen_;
    QRectF microphonePill_;
    QRectF clicksPill_;
    bool saidCovered_ = false;
};

} // namespace quillet
