#include "Quillet/capture/FrozenFramePicker.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace quillet {
namespace {

// The frozen picture outside the selection, dimmed as the X11 picker does.
const QColor shade(0, 0, 0, 96);
const QColor edge(255, 255, 255);

} // namespace

FrozenFramePicker::FrozenFramePicker(QImage frame, Picked picked)
    : frame_(std::move(frame)), picked_(std::move(picked))
{
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
}

std::optional<QRect> FrozenFramePicker::areaInFrame(QPoint from, QPoint to, double scale, QSize frameSize)
{
    const int left = int(std::floor(std::min(from.x(), to.x()) * scale));
    const int top = int(std::floor(std::min(from.y(), to.y()) * scale));
    const int right = int(std::ceil(std::max(from.x(), to.x()) * scale));
    const int bottom = int(std::ceil(std::max(from.y(), to.y()) * scale));
    const QRect area = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)) & QRect(QPoint(), frameSize);
    if (area.isEmpty()) {
        return std::nullopt;
    }
    return area;
}

double FrozenFramePicker::frameScale() const
{
    return width() > 0 ? double(frame_.width()) / width() : 1.0;
}

void FrozenFramePicker::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(rect(), frame_);
    if (!anchor_) {
        painter.fillRect(rect(), shade);
        return;
    }
    const QRect selection = QRect(*anchor_, pointer_).normalized();
    QRegion outside(rect());
    outside -= selection;
    painter.setClipRegion(outside);
    painter.fillRect(rect(), shade);
    painter.setClipping(false);
    painter.setPen(edge);
    painter.drawRect(selection.adjusted(0, 0, -1, -1));
}

void FrozenFramePicker::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        finish(std::nullopt);
        return;
    }
    if (event->button() == Qt::LeftButton) {
        anchor_ = event->position().toPoint();
        pointer_ = *anchor_;
        update();
    }
}

void FrozenFramePicker::mouseMoveEvent(QMouseEvent* event)
{
    pointer_ = event->position().toPoint();
    if (anchor_) {
        update();
    }
}

void FrozenFramePicker::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !anchor_) {
        return;
    }
    finish(areaInFrame(*anchor_, event->position().toPoint(), frameScale(), frame_.size()));
}

void FrozenFramePicker::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        finish(std::nullopt);
    }
}

void FrozenFramePicker::finish(std::optional<QRect> area)
{
    if (!picked_) {
        return;
    }
    const Picked picked = std::move(picked_);
    picked_ = nullptr;
    close();
    picked(area);
}

} // namespace quillet
