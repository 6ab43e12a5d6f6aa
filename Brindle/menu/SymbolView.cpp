#include "Brindle/menu/SymbolView.hpp"

#include "Brindle/menu/Tone.hpp"

#include <QPainter>

#include <cmath>

namespace brindle {

SymbolView::SymbolView(std::string symbol, qreal points, Symbol::Weight weight, QWidget* parent)
    : QWidget(parent), symbol_(std::move(symbol)), points_(points), weight_(weight)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void SymbolView::setSymbol(std::string symbol)
{
    symbol_ = std::move(symbol);
    update();
}

void SymbolView::setColor(const QColor& colour)
{
    colour_ = colour;
    gradient_ = false;
    update();
}

void SymbolView::setTone(qreal tone)
{
    colour_.reset();
    tone_ = tone;
    update();
}

void SymbolView::setGradientOf(const QColor& colour)
{
    colour_ = colour;
    gradient_ = true;
    update();
}

void SymbolView::setBoxWidth(int width)
{
    boxWidth_ = width;
    updateGeometry();
}

QSize SymbolView::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(Symbol::boxSize(points_)));
    return {boxWidth_.value_or(side), side};
}

void SymbolView::paintEvent(QPaintEvent*)
{
    const QPainterPath outline = Symbol::path(symbol_, points_);
    if (outline.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = Symbol::boxSize(points_);
    const QRectF box(QPointF(rect().center()) - QPointF(side / 2, side / 2) + QPointF(0.5, 0.5),
                     QSizeF(side, side));
    if (!gradient_) {
        Symbol::draw(painter, symbol_, box, points_, weight_,
                     colour_.value_or(Tone::primary(palette(), tone_)));
        return;
    }
    // A gradient fill: the outline is drawn in white into a layer whose pixels the gradient then keeps.
    QImage layer(size() * devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(devicePixelRatioF());
    layer.fill(Qt::transparent);
    QPainter layerPainter(&layer);
    Symbol::draw(layerPainter, symbol_, box, points_, weight_, Qt::white);
    layerPainter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    layerPainter.fillRect(QRectF(rect()), Tone::automaticGradient(*colour_, box));
    layerPainter.end();
    painter.drawImage(QPointF(0, 0), layer);
}

} // namespace brindle
