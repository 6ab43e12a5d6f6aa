#pragma once

#include "tools/screencapture/x11/PixelRect.hpp"

#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QScreen;
class QWidget;

namespace quillet::screencapture {

// The state of one interactive pick across all screens. Input arrives in the toolkit's global
// coordinates (points); the result is a rectangle of root pixels, or nothing when cancelled.
class PickerSession {
public:
    enum class Mode { area, window };

    // What one screen's window draws over the frozen picture, in that window's coordinates.
    struct Overlay {
        std::optional<QRectF> selection;
        std::optional<QRectF> highlight;
        QString sizeLabel;
        QPointF labelAnchor;
        bool isDimmed = false; // the drag is on another screen
    };

    using Finish = std::function<void(std::optional<PixelRect>)>;

    PickerSession(std::vector<PixelRect> windows, Finish finish);

    // `window` is repainted when what it shows changes.
    void addScreen(const QScreen* screen, QWidget* window);
    void start(QPointF pointer);

    void pointerMoved(QPointF global);
    void buttonPressed(QPointF global, Qt::MouseButton button);
    void buttonReleased(QPointF global, Qt::MouseButton button);
    void keyPressed(int key);

    [[nodiscard]] Overlay overlay(const QWidget* window) const;

private:
    struct Screen {
        QRect geometry; // points; its top-left is also its top-left in root pixels
        double pixelRatio = 1;
        QWidget* window = nullptr;
    };
    struct Drag {
        std::size_t screen = 0;
        QPointF start;   // points, relative to that screen
        QPointF current; // points, relative to that screen, kept inside it
    };

    [[nodiscard]] std::size_t screenIndexAt(QPointF global) const;
    [[nodiscard]] QPointF rootPixel(QPointF global) const;
    [[nodiscard]] QPointF clampedLocal(std::size_t screen, QPointF global) const;
    [[nodiscard]] QRect selectionInPoints() const;
    [[nodiscard]] PixelRect selectionInPixels() const;
    void toggleMode();
    void updateHover(QPointF global);
    void finish(std::optional<PixelRect> result);
    void repaintAll() const;

    std::vector<PixelRect> windows_;
    Finish finish_;
    std::vector<Screen> screens_;
    Mode mode_ = Mode::area;
    std::optional<Drag> drag_;
    std::optional<PixelRect> hovered_;
    QPointF pointer_;
    bool isFinished_ = false;
};

} // namespace quillet::screencapture
