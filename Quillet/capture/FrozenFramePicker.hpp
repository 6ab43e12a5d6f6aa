#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>

namespace quillet {

// The area pick where the program cannot see the screen itself (Wayland): the frame taken a moment
// ago fills the screen, still, and the user drags the area on it. Escape or a right click cancels; a
// click without a drag picks nothing. The window closes itself and reports once.
class FrozenFramePicker : public QWidget {
    Q_OBJECT

public:
    // The picked area in the frame's pixels, or nothing when the user cancelled.
    using Picked = std::function<void(std::optional<QRect> area)>;

    FrozenFramePicker(QImage frame, Picked picked);

    // The area between two points of the window (points), as pixels of a frame `scale` times as large,
    // within `frameSize`; nothing when it holds no whole pixel.
    [[nodiscard]] static std::optional<QRect> areaInFrame(QPoint from, QPoint to, double scale,
                                                          QSize frameSize);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void finish(std::optional<QRect> area);
    [[nodiscard]] double frameScale() const;

    QImage frame_;
    Picked picked_;
    std::optional<QPoint> anchor_;
    QPoint pointer_;
};

} // namespace quillet
