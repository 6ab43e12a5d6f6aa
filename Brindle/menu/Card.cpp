#include "Brindle/menu/Card.hpp"

#include "Brindle/menu/Tone.hpp"

#include <QPainter>
#include <QPainterPath>

namespace brindle {
namespace {

constexpr qreal fillOpacity = 0.05;
constexpr qreal borderOpacity = 0.06;

} // namespace

Card::Card(int padding, QWidget* parent) : QWidget(parent), content_(new QVBoxLayout(this))
{
    content_->setContentsMargins(padding, padding, padding, padding);
    content_->setSpacing(0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void Card::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outer(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(Tone::primary(palette(), fillOpacity));
    painter.drawRoundedRect(outer, cornerRadius, cornerRadius);
    // The inner border: a one-point stroke inset by half its width.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Tone::primary(palette(), borderOpacity), 1));
    painter.drawRoundedRect(outer.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
}

} // namespace brindle
