#include "Quillet/editor/ToolbarSymbolButton.hpp"

#include "Brindle/Symbol.hpp"
#include "Quillet/editor/ToolbarColors.hpp"

#include <QPainter>

namespace quillet {

namespace {

constexpr double symbolPoints = 13;
constexpr double pressedOpacity = 0.9;

} // namespace

ToolbarSymbolButton::ToolbarSymbolButton(std::string symbol, const QString& accessibleName, QWidget* parent)
    : QAbstractButton(parent), symbol_(std::move(symbol))
{
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(width, height);
    setAccessibleName(accessibleName);
}

void ToolbarSymbolButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double opacity = !isEnabled() ? ToolbarColors::tertiaryOpacity
                           : isDown()   ? pressedOpacity
                                        : ToolbarColors::secondaryOpacity;
    const qreal side = brindle::Symbol::boxSize(symbolPoints);
    const QPointF center = QRectF(rect()).center();
    brindle::Symbol::draw(painter, symbol_, QRectF(center.x() - side / 2, center.y() - side / 2, side, side),
                          symbolPoints, brindle::Symbol::Weight::medium,
                          ToolbarColors::primary(palette(), opacity));
}

} // namespace quillet
