#include "Brindle/menu/AppGlyph.hpp"

#include "Brindle/Symbol.hpp"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace brindle {
namespace {

constexpr qreal cornerFraction = 0.2237;
constexpr qreal shadowOpacity = 0.35;
// The soft shadow is drawn as rings of falling opacity; this many are enough to look smooth.
constexpr int shadowSteps = 6;

[[nodiscard]] int margin()
{
    return static_cast<int>(std::ceil(AppGlyph::shadowRadius + AppGlyph::shadowOffset));
}

} // namespace

AppGlyph::AppGlyph(const AppBrand& brand, qreal size, QWidget* parent)
    : QWidget(parent), brand_(brand), size_(size)
{
    setFixedSize(sizeHint());
}

QSize AppGlyph::sizeHint() const
{
    // Room for the shadow on every side, so layouts place the square itself where they place the widget.
    const int side = static_cast<int>(std::ceil(size_)) + 2 * margin();
    return {side, side};
}

void AppGlyph::paint(QPainter& painter, const AppBrand& brand, const QPointF& origin, qreal size)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square(origin, QSizeF(size, size));
    const qreal corner = size * cornerFraction;
    painter.setPen(Qt::NoPen);
    for (int step = shadowSteps; step >= 1; --step) {
        const qreal grow = shadowRadius * step / shadowSteps;
        QColor shadow = brand.accent;
        shadow.setAlphaF(static_cast<float>(shadowOpacity / shadowSteps));
        painter.setBrush(shadow);
        painter.drawRoundedRect(square.translated(0, shadowOffset).adjusted(-grow, -grow, grow, grow),
                                corner + grow, corner + grow);
    }
    QLinearGradient fill(square.topLeft(), square.bottomLeft());
    for (qsizetype index = 0; index < brand.gradient.size(); ++index) {
        const qreal at = brand.gradient.size() == 1 ? 0.0 : qreal(index) / qreal(brand.gradient.size() - 1);
        fill.setColorAt(at, brand.gradient[index]);
    }
    painter.setBrush(fill);
    painter.drawRoundedRect(square, corner, corner);
    Symbol::draw(painter, brand.symbol, square, size * brand.symbolScale, Symbol::Weight::semibold,
                 Qt::white);
    painter.restore();
}

void AppGlyph::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, brand_, QPointF(margin(), margin()), size_);
}

} // namespace brindle
