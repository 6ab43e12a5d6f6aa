#include "Brindle/shell/PanelWindow.hpp"

#include "Brindle/menu/Tone.hpp"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <limits>

namespace brindle {
namespace {

constexpr Qt::WindowFlags popupFlags = Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint;
constexpr Qt::WindowFlags normalWindowFlags = Qt::Window;
constexpr qreal borderOpacity = 0.18;

} // namespace

PanelWindow::PanelWindow(Kind kind, const QString& title, std::function<QWidget*()> makeContent)
    : QWidget(nullptr, kind == Kind::popup ? popupFlags : normalWindowFlags), kind_(kind),
      makeContent_(std::move(makeContent)), scroll_(new QScrollArea(this))
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("panel"));
    auto* column = new QVBoxLayout(this);
    const int border = kind == Kind::popup ? 1 : 0;
    column->setContentsMargins(border, border, border, border);
    column->addWidget(scroll_);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->viewport()->setAutoFillBackground(false);
    setAutoFillBackground(true);
}

void PanelWindow::ensureContent()
{
    if (content_) {
        return;
    }
    content_ = makeContent_();
    content_->setAutoFillBackground(false);
    scroll_->setWidget(content_);
    content_->installEventFilter(this);
}

void PanelWindow::prepare()
{
    ensureContent();
    content_->ensurePolished();
    content_->adjustSize();
}

QSize PanelWindow::fittedSize(const QRect& workArea)
{
    content_->adjustSize();
    const QMargins margins = layout()->contentsMargins();
    const int contentWidth = std::max(content_->sizeHint().width(), content_->minimumWidth());
    const int contentHeight = content_->hasHeightForWidth() ? content_->heightForWidth(contentWidth)
                                                            : content_->sizeHint().height();
    const int wanted = contentHeight + margins.top() + margins.bottom();
    const int scrollBar = wanted > workArea.height() ? scroll_->verticalScrollBar()->sizeHint().width() : 0;
    return {contentWidth + margins.left() + margins.right() + scrollBar, std::min(wanted, workArea.height())};
}

QRect PanelWindow::workArea() const
{
    const QScreen* screen = QGuiApplication::screenAt(isVisible() ? geometry().center() : QCursor::pos());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    return screen ? screen->availableGeometry() : QRect();
}

void PanelWindow::present(const std::function<QPoint(const QSize&)>& place)
{
    ensureContent();
    place_ = place;
    const QRect area = workArea();
    const QSize fitted = area.isValid() ? fittedSize(area) : size();
    if (kind_ == Kind::popup || !wasShown_) {
        setGeometry(QRect(place(fitted), fitted));
    }
    fixSize(fitted);
    wasShown_ = true;
    if (isMinimized()) {
        // A bare window manager has no task bar to bring a minimised window back from.
        setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    }
    show();
    raise();
    activateWindow();
    // The panel takes the keyboard at once, so Escape and typed shortcuts reach it.
    content_->setFocus(Qt::PopupFocusReason);
}

bool PanelWindow::eventFilter(QObject* watched, QEvent* event)
{
    // Once the content's own layout has taken the change, on the next turn of the loop.
    if (watched == content_ && event->type() == QEvent::LayoutRequest && isVisible() && !refitPending_) {
        refitPending_ = true;
        QTimer::singleShot(0, this, [this] {
            refitPending_ = false;
            refit();
        });
    }
    return QWidget::eventFilter(watched, event);
}

void PanelWindow::refit()
{
    const QRect area = workArea();
    if (!isVisible() || !area.isValid()) {
        return;
    }
    const QSize fitted = fittedSize(area);
    if (fitted == size()) {
        return;
    }
    // A pop-up stays anchored at its icon (above a bottom tray it grows upwards), in one step so it
    // never shows a frame grown the wrong way; a window keeps where the user put it.
    if (kind_ == Kind::popup && place_) {
        setGeometry(QRect(place_(fitted), fitted));
    }
    fixSize(fitted);
}

void PanelWindow::fixSize(const QSize& fitted)
{
    // A window the user could resize would only show scroll bars or empty room beside the content.
    if (kind_ == Kind::window) {
        setFixedSize(fitted);
    } else {
        resize(fitted);
    }
}

qint64 PanelWindow::sinceHidden() const
{
    return hiddenAt_.isValid() ? hiddenAt_.elapsed() : std::numeric_limits<qint64>::max();
}

void PanelWindow::hideEvent(QHideEvent* event)
{
    hiddenAt_.start();
    QWidget::hideEvent(event);
    emit hidden();
}

void PanelWindow::paintEvent(QPaintEvent*)
{
    if (kind_ != Kind::popup) {
        return;
    }
    QPainter painter(this);
    painter.setPen(QPen(Tone::primary(palette(), borderOpacity), 1));
    painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
}

} // namespace brindle
