#include "Quillet/recording/SelectionView.hpp"

#include "Brindle/DesktopWindow.hpp"
#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/recording/OverlaySelector.hpp"
#include "Quillet/recording/SelectionPills.hpp"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace quillet {
namespace {

const QColor dimming(0, 0, 0, 77); // black at 30 %
constexpr qreal labelLeftOfRightEdge = 50;
constexpr qreal labelBelowBottomEdge = 20;
constexpr qreal optionsAboveBottom = 80;
constexpr qreal optionsGap = 12;
constexpr qreal edgeDash = 5;
constexpr qreal edgeGap = 4;
constexpr int repaintMargin = 3;

[[nodiscard]] bool isWayland()
{
    return QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
}

QPointF labelCentre(const QRect& selection)
{
    return {selection.x() + selection.width() - labelLeftOfRightEdge,
            selection.y() + selection.height() + labelBelowBottomEdge};
}

} // namespace

SelectionView::SelectionView(QScreen* screen, OverlaySelector& selector, QImage frozen)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::X11BypassWindowManagerHint),
      selector_(selector), frozen_(std::move(frozen))
{
    setAttribute(frozen_.isNull() ? Qt::WA_TranslucentBackground : Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // The native window is made at its final place and size: a compositor that meets a new window
    // resized before it is mapped may judge it opaque then and keep a shadow for it, which under
    // this see-through window darkens the whole screen.
    setScreen(screen);
    setGeometry(screen->geometry());
    winId();
    brindle::DesktopWindow::castNoShadow(*windowHandle());
}

void SelectionView::selectionChanged(const std::optional<QRect>& before)
{
    const auto now = selector_.selectionOn(this);
    if (!before || !now) {
        update(); // the hint comes or goes
        return;
    }
    update(decoration(before).united(decoration(now)));
}

QRect SelectionView::decoration(const std::optional<QRect>& selection) const
{
    if (!selection) {
        return rect();
    }
    const QString label = SelectionPills::sizeLabel(selection->width(), selection->height());
    const QSizeF labelSize = SelectionPills::size(label);
    const QRectF labelBox(labelCentre(*selection) - QPointF(labelSize.width(), labelSize.height()) / 2,
                          labelSize);
    return selection->united(labelBox.toAlignedRect())
        .adjusted(-repaintMargin, -repaintMargin, repaintMargin, repaintMargin);
}

void SelectionView::paintEvent(QPaintEvent*)
{
    // The first paint comes once the compositor has shown the window: from then on a user sees it.
    if (!saidCovered_ && isWayland() && coversItsScreen()) {
        saidCovered_ = true;
        captureLog().log("the selector covers its monitor");
    }
    QPainter painter(this);
    const auto selection = selector_.selectionOn(this);
    paintBackground(painter, selection);
    if (selection) {
        paintSelection(painter, *selection);
    } else {
        SelectionPills::draw(painter, SelectionPills::hint(), QRectF(rect()).center(), false, {});
    }
    paintOptions(painter);
}

void SelectionView::paintBackground(QPainter& painter, const std::optional<QRect>& selection) const
{
    if (frozen_.isNull()) {
        // On a transparent window: the dimming, with a hole that lets the desktop through unchanged.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect(), dimming);
        if (selection) {
            painter.fillRect(*selection, Qt::transparent);
        }
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        return;
    }
    painter.drawImage(rect(), frozen_);
    if (!selection) {
        painter.fillRect(rect(), dimming);
        return;
    }
    painter.save();
    painter.setClipRegion(QRegion(rect()) - QRegion(*selection));
    painter.fillRect(rect(), dimming);
    painter.restore();
}

void SelectionView::paintSelection(QPainter& painter, const QRect& selection) const
{
    QPen edge(Qt::white, 1);
    edge.setDashPattern({edgeDash, edgeGap});
    painter.setPen(edge);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(selection).adjusted(-0.5, -0.5, 0.5, 0.5));
    SelectionPills::draw(painter, SelectionPills::sizeLabel(selection.width(), selection.height()),
                         labelCentre(selection), false, {});
}

void SelectionView::paintOptions(QPainter& painter)
{
    const auto& options = selector_.options();
    const QString microphone = SelectionPills::microphoneText(selector_.isMicrophoneBlocked(),
                                                              options.microphone, selector_.microphoneName());
    const bool canShowClicks = selector_.clicksUnavailable().isEmpty();
    const QString clicks =
        canShowClicks ? SelectionPills::clicksText(options.showClicks) : selector_.clicksUnavailable();
    const qreal microphoneWidth = SelectionPills::size(microphone).width();
    const qreal clicksWidth = SelectionPills::size(clicks).width();
    const qreal half = (microphoneWidth + optionsGap + clicksWidth) / 2;
    const qreal middle = width() / 2.0;
    const qreal y = height() - optionsAboveBottom;
    microphonePill_ = SelectionPills::draw(painter, microphone, {middle - half + microphoneWidth / 2, y},
                                           options.microphone, options.microphone ? "mic.fill" : "mic.slash");
    clicksPill_ = SelectionPills::draw(painter, clicks, {middle + half - clicksWidth / 2, y},
                                       canShowClicks && options.showClicks, "cursorarrow.click.2");
}

void SelectionView::open()
{
    if (isWayland()) {
        showFullScreen();
        return;
    }
    show();
}

bool SelectionView::coversItsScreen() const
{
    return !isWayland() || (isFullScreen() && screen() != nullptr && size() == screen()->geometry().size());
}

void SelectionView::mousePressEvent(QMouseEvent* event)
{
    // A press before the compositor has put the view over its screen would start the drag at a
    // place the view only guesses: seen 30 pixels off on a busy GNOME desktop.
    if (event->button() == Qt::LeftButton && coversItsScreen()) {
        selector_.pressed(event->globalPosition());
    }
}

void SelectionView::mouseMoveEvent(QMouseEvent* event)
{
    selector_.moved(event->globalPosition());
}

void SelectionView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        selector_.released(event->globalPosition());
    }
}

// The overlay shows no focus, so taking it as it opens does not repaint the whole screen again.
void SelectionView::focusInEvent(QFocusEvent*) {}

void SelectionView::focusOutEvent(QFocusEvent*) {}

void SelectionView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        selector_.cancel();
    }
}

} // namespace quillet
