#include "tools/screencapture/picker/PickerWindow.hpp"

#include "tools/screencapture/picker/PickerSession.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace quillet::screencapture {
namespace {

// Outside a selection the picture is dimmed, so the selection reads on light and dark content alike.
const QColor outsideSelection(0, 0, 0, 100);
const QColor selectionEdge(255, 255, 255, 230);
const QColor selectionOuterEdge(0, 0, 0, 160);
const QColor highlightFill(70, 140, 255, 80);
const QColor highlightEdge(70, 140, 255, 220);
const QColor labelBackground(0, 0, 0, 170);
constexpr double highlightEdgeWidth = 2;
constexpr double labelPadding = 4;
constexpr double labelRadius = 4;
constexpr double labelMargin = 4; // points between the label and the screen's edge

} // namespace

PickerWindow::PickerWindow(QScreen* screen, PickerSession& session, QImage frozen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint),
      session_(session), frozen_(std::move(frozen))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    winId(); // creates the native window so that it can be placed on its screen before showing
    windowHandle()->setScreen(screen);
    setGeometry(screen->geometry());
}

void PickerWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(QRectF(rect()), frozen_);
    const PickerSession::Overlay overlay = session_.overlay(this);
    if (overlay.highlight) {
        painter.fillRect(*overlay.highlight, highlightFill);
        painter.setPen(QPen(highlightEdge, highlightEdgeWidth));
        painter.drawRect(*overlay.highlight);
    }
    if (overlay.selection) {
        paintSelection(painter, *overlay.selection);
        paintSizeLabel(painter, overlay.sizeLabel, overlay.labelAnchor);
    } else if (overlay.isDimmed) {
        painter.fillRect(rect(), outsideSelection);
    }
}

void PickerWindow::paintSelection(QPainter& painter, const QRectF& selection) const
{
    painter.save();
    painter.setClipRegion(QRegion(rect()) - QRegion(selection.toAlignedRect()));
    painter.fillRect(rect(), outsideSelection);
    painter.restore();
    painter.setPen(QPen(selectionOuterEdge, 0));
    painter.drawRect(selection.adjusted(-1, -1, 0, 0));
    painter.setPen(QPen(selectionEdge, 0));
    painter.drawRect(selection.adjusted(0, 0, -1, -1));
}

void PickerWindow::paintSizeLabel(QPainter& painter, const QString& text, QPointF anchor) const
{
    const QSizeF textSize = painter.fontMetrics().size(Qt::TextSingleLine, text);
    QRectF box(anchor, textSize + QSizeF(2 * labelPadding, 2 * labelPadding));
    // Keep the label on the screen when the pointer is near the right or bottom edge.
    if (box.right() > width()) {
        box.moveRight(anchor.x() - 2 * labelPadding);
    }
    if (box.bottom() > height()) {
        box.moveBottom(anchor.y() - 2 * labelPadding);
    }
    // The flip alone leaves part of it beyond an edge the selection touches; the whole of it stays in.
    box.moveLeft(std::max(labelMargin, std::min(box.left(), width() - labelMargin - box.width())));
    box.moveTop(std::max(labelMargin, std::min(box.top(), height() - labelMargin - box.height())));
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(labelBackground);
    painter.drawRoundedRect(box, labelRadius, labelRadius);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, text);
}

void PickerWindow::mousePressEvent(QMouseEvent* event)
{
    session_.buttonPressed(event->globalPosition(), event->button());
}

void PickerWindow::mouseMoveEvent(QMouseEvent* event)
{
    session_.pointerMoved(event->globalPosition());
}

void PickerWindow::mouseReleaseEvent(QMouseEvent* event)
{
    session_.buttonReleased(event->globalPosition(), event->button());
}

void PickerWindow::keyPressEvent(QKeyEvent* event)
{
    session_.keyPressed(event->key());
}

} // namespace quillet::screencapture
