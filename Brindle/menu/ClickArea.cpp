#include "Brindle/menu/ClickArea.hpp"

#include "Brindle/menu/Tone.hpp"

#include <QPainter>

namespace brindle {

ClickArea::ClickArea(std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent), row_(new QHBoxLayout(this))
{
    row_->setContentsMargins(0, 0, 0, 0);
    setAttribute(Qt::WA_Hover);
    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
}

void ClickArea::addToLabel(QWidget* widget, int stretch, Qt::Alignment alignment)
{
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
    row_->addWidget(widget, stretch, alignment);
}

void ClickArea::setHoverHighlight(qreal cornerRadius, qreal opacity)
{
    hoverRadius_ = cornerRadius;
    hoverOpacity_ = opacity;
    update();
}

void ClickArea::setBorder(qreal cornerRadius, qreal width, const QColor& colour)
{
    borderRadius_ = cornerRadius;
    borderWidth_ = width;
    borderColour_ = colour;
    update();
}

QSize ClickArea::sizeHint() const
{
    return row_->sizeHint();
}

QSize ClickArea::minimumSizeHint() const
{
    return row_->minimumSize();
}

void ClickArea::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box(rect());
    if (isHovered_ && hoverOpacity_ > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Tone::primary(palette(), hoverOpacity_));
        painter.drawRoundedRect(box, hoverRadius_, hoverRadius_);
    }
    if (borderWidth_ > 0 && borderColour_.alpha() > 0) {
        const qreal inset = borderWidth_ / 2;
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(borderColour_, borderWidth_));
        painter.drawRoundedRect(box.adjusted(inset, inset, -inset, -inset), borderRadius_ - inset,
                                borderRadius_ - inset);
    }
}

void ClickArea::enterEvent(QEnterEvent* event)
{
    isHovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ClickArea::leaveEvent(QEvent* event)
{
    isHovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

} // namespace brindle
