#include "tools/screencapture/picker/PickerSession.hpp"

#include "tools/screencapture/x11/TopLevelWindows.hpp"

#include <QScreen>
#include <QWidget>

#include <cmath>

namespace quillet::screencapture {
namespace {

constexpr double labelOffset = 14; // points right of and below the pointer

long rounded(double value)
{
    return std::lround(value);
}

} // namespace

PickerSession::PickerSession(std::vector<PixelRect> windows, Finish finish)
    : windows_(std::move(windows)), finish_(std::move(finish))
{
}

void PickerSession::addScreen(const QScreen* screen, QWidget* window)
{
    screens_.push_back({screen->geometry(), screen->devicePixelRatio(), window});
}

void PickerSession::start(QPointF pointer)
{
    pointer_ = pointer;
}

std::size_t PickerSession::screenIndexAt(QPointF global) const
{
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        if (screens_[i].geometry.contains(global.toPoint())) {
            return i;
        }
    }
    return 0;
}

// The toolkit keeps each screen's pixel origin as its point origin and scales from there.
QPointF PickerSession::rootPixel(QPointF global) const
{
    const Screen& screen = screens_[screenIndexAt(global)];
    const QPointF origin = screen.geometry.topLeft();
    return origin + (global - origin) * screen.pixelRatio;
}

QPointF PickerSession::clampedLocal(std::size_t screen, QPointF global) const
{
    const QRect& geometry = screens_[screen].geometry;
    const QPointF local = global - QPointF(geometry.topLeft());
    return {std::clamp(local.x(), 0.0, double(geometry.width())),
            std::clamp(local.y(), 0.0, double(geometry.height()))};
}

QRect PickerSession::selectionInPoints() const
{
    if (!drag_) {
        return {};
    }
    const long left = rounded(std::min(drag_->start.x(), drag_->current.x()));
    const long right = rounded(std::max(drag_->start.x(), drag_->current.x()));
    const long top = rounded(std::min(drag_->start.y(), drag_->current.y()));
    const long bottom = rounded(std::max(drag_->start.y(), drag_->current.y()));
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

PixelRect PickerSession::selectionInPixels() const
{
    const Screen& screen = screens_[drag_->screen];
    const QRect points = selectionInPoints();
    const double ratio = screen.pixelRatio;
    return {screen.geometry.x() + rounded(points.x() * ratio),
            screen.geometry.y() + rounded(points.y() * ratio), rounded(points.width() * ratio),
            rounded(points.height() * ratio)};
}

void PickerSession::pointerMoved(QPointF global)
{
    pointer_ = global;
    if (drag_) {
        drag_->current = clampedLocal(drag_->screen, global);
    }
    if (mode_ == Mode::window) {
        updateHover(global);
    }
    repaintAll();
}

void PickerSession::buttonPressed(QPointF global, Qt::MouseButton button)
{
    pointer_ = global;
    if (button == Qt::RightButton) {
        finish(std::nullopt);
        return;
    }
    if (button != Qt::LeftButton) {
        return;
    }
    if (mode_ == Mode::window) {
        updateHover(global);
        if (hovered_) {
            finish(*hovered_);
        }
        return;
    }
    const std::size_t screen = screenIndexAt(global);
    const QPointF local = clampedLocal(screen, global);
    drag_ = Drag{screen, local, local};
    repaintAll();
}

void PickerSession::buttonReleased(QPointF global, Qt::MouseButton button)
{
    if (button != Qt::LeftButton || !drag_) {
        return;
    }
    drag_->current = clampedLocal(drag_->screen, global);
    const PixelRect area = selectionInPixels();
    if (area.isEmpty()) {
        // A click without a drag picks nothing; the picker stays open.
        drag_.reset();
        repaintAll();
        return;
    }
    finish(area);
}

void PickerSession::keyPressed(int key)
{
    if (key == Qt::Key_Escape) {
        finish(std::nullopt);
    } else if (key == Qt::Key_Space && !drag_) {
        toggleMode();
    }
}

void PickerSession::toggleMode()
{
    mode_ = mode_ == Mode::area ? Mode::window : Mode::area;
    const Qt::CursorShape shape = mode_ == Mode::area ? Qt::CrossCursor : Qt::PointingHandCursor;
    for (const Screen& screen : screens_) {
        screen.window->setCursor(shape);
    }
    hovered_.reset();
    if (mode_ == Mode::window) {
        updateHover(pointer_);
    }
    repaintAll();
}

void PickerSession::updateHover(QPointF global)
{
    const QPointF pixel = rootPixel(global);
    const PixelRect* window =
        TopLevelWindows::at(windows_, long(std::floor(pixel.x())), long(std::floor(pixel.y())));
    hovered_ = window ? std::optional<PixelRect>(*window) : std::nullopt;
}

PickerSession::Overlay PickerSession::overlay(const QWidget* window) const
{
    Overlay overlay;
    for (std::size_t i = 0; i < screens_.size(); ++i) {
        const Screen& screen = screens_[i];
        if (screen.window != window) {
            continue;
        }
        if (drag_ && drag_->screen == i) {
            const QRect points = selectionInPoints();
            overlay.selection = QRectF(points);
            overlay.sizeLabel = QStringLiteral("%1 × %2").arg(points.width()).arg(points.height());
            overlay.labelAnchor = drag_->current + QPointF(labelOffset, labelOffset);
        }
        // A screen left bright beside the one being dragged on would look chosen too.
        overlay.isDimmed = drag_ && drag_->screen != i;
        if (hovered_) {
            const QPointF origin = screen.geometry.topLeft();
            const double ratio = screen.pixelRatio;
            overlay.highlight = QRectF((hovered_->x - origin.x()) / ratio, (hovered_->y - origin.y()) / ratio,
                                       hovered_->width / ratio, hovered_->height / ratio);
        }
    }
    return overlay;
}

void PickerSession::finish(std::optional<PixelRect> result)
{
    if (isFinished_) {
        return;
    }
    isFinished_ = true;
    finish_(result);
}

void PickerSession::repaintAll() const
{
    for (const Screen& screen : screens_) {
        screen.window->update();
    }
}

} // namespace quillet::screencapture
