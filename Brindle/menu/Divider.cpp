#include "Brindle/menu/Divider.hpp"

#include "Brindle/menu/Tone.hpp"

#include <QPainter>

namespace brindle {
namespace {

constexpr qreal lineOpacity = 0.1;

} // namespace

Divider::Divider(int indent, QWidget* parent) : QWidget(parent), indent_(indent)
{
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRect(indent_, 0, width() - indent_, 1), Tone::primary(palette(), lineOpacity));
}

} // namespace brindle
