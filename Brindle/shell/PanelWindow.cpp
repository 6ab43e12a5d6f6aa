#include "Brindle/shell/PanelWindow.hpp"

#include "Brindle/menu/Tone.hpp"

#include <QCursor>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
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
}

void PanelWindow::prepare()
{
    ensureContent();
    content_->ensurePolished();
    content_->adjustSize();
}

void PanelWindow::fitToScreen(const QRect& workArea)
{
    content_->adjustSize();
    const QMargins margins = layout()->contentsMargins();
    const int contentWidth = std::max(content_->sizeHint().width(), content_->minimumWidth());
    const int contentHeight = content_->hasHeightForWidth() ? content_->heightForWidth(contentWidth)
                                                            : content_->sizeHint().height();
    const int wanted = contentHeight + margins.top() + margins.bottom();
    const int scrollBar = wanted > workArea.height() ? scroll_->verticalScrollBar()->sizeHint().width() : 0;
    resize(contentWidth + margins.left() + margins.right() + scrollBar, std::min(wanted, workArea.height()));
}

void PanelWindow::present(const std::function<QPoint(const QSize&)>& place)
{
    ensureContent();
    const QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen) {
        fitToScreen(screen->availableGeometry());
    }
    if (kind_ == Kind::popup || !wasShown_) {
        move(place(size()));
    }
    wasShown_ = true;
    show();
    raise();
    activateWindow();
    // The panel takes the keyboard at once, so Escape and typed shortcuts reach it.
    content_->setFocus(Qt::PopupFocusReason);
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
