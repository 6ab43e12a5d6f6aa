#include "Quillet/thumbnails/CircleButton.hpp"

#include "Brindle/Symbol.hpp"

#include <QPainter>

namespace quillet {
namespace {

const QColor circleColor(0, 0, 0, qRound(0.55 * 255));
// Pressing darkens the circle, as a plain button dims while held.
const QColor pressedCircleColor(0, 0, 0, qRound(0.75 * 255));

} // namespace

CircleButton::CircleButton(std::string symbol, const QString& help, std::function<void()> action,
                           QWidget* parent)
    : QAbstractButton(parent), symbol_(std::move(symbol))
{
    setFixedSize(diameter, diameter);
    setToolTip(help);
    setAccessibleName(help);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] {
        if (action) {
            action();
        }
    });
}

void CircleButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isDown() ? pressedCircleColor : circleColor);
    painter.drawEllipse(QRectF(rect()));
    brindle::Symbol::draw(painter, symbol_, QRectF(rect()), symbolPointSize, brindle::Symbol::Weight::bold,
                          Qt::white);
}

bool CircleButton::hitButton(const QPoint& position) const
{
    const QPointF offset = QPointF(position) - QRectF(rect()).center();
    return offset.x() * offset.x() + offset.y() * offset.y() <= diameter * diameter / 4.0;
}

} // namespace quillet
