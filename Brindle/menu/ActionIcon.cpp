#include "Brindle/menu/ActionIcon.hpp"

#include "Brindle/Symbol.hpp"
#include "Brindle/menu/AppBrand.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QPainter>

#include <cmath>

namespace brindle {
namespace {

constexpr qreal symbolFraction = 0.53;
constexpr qreal radiusFraction = 0.25;

} // namespace

ActionIcon::ActionIcon(const AppBrand& brand, std::string symbol, qreal size, QWidget* parent)
    : QWidget(parent), accent_(brand.accent), symbol_(std::move(symbol)), size_(size)
{
    setFixedSize(sizeHint());
}

void ActionIcon::setSymbol(std::string symbol)
{
    symbol_ = std::move(symbol);
    update();
}

QSize ActionIcon::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(size_));
    return {side, side};
}

void ActionIcon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF tile(0, 0, size_, size_);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Tone::automaticGradient(accent_, tile));
    painter.drawRoundedRect(tile, size_ * radiusFraction, size_ * radiusFraction);
    // The catalogue's box is larger than the point size; the symbol is sized so its box matches.
    Symbol::draw(painter, symbol_, tile, size_ * symbolFraction, Symbol::Weight::semibold, Qt::white);
}

} // namespace brindle
