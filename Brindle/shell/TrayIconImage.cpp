#include "Brindle/shell/TrayIconImage.hpp"

#include "Brindle/Symbol.hpp"

#include <QPainter>
#include <QPixmap>

#include <array>

namespace brindle {
namespace {

constexpr std::array iconPixels{16, 22, 24, 32, 48, 64};

} // namespace

QImage TrayIconImage::image(const std::string& symbol, const QColor& colour, const QColor& dotColour,
                            bool badged, int pixels)
{
    QImage result(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = pixels;
    // The symbol's box fills the image.
    if (!Symbol::draw(painter, symbol, QRectF(0, 0, side, side), side / Symbol::boxSize(1.0),
                      Symbol::Weight::regular, colour)) {
        return {};
    }
    if (badged) {
        const qreal dot = side * dotFraction;
        const qreal ring = side * ringFraction;
        const QRectF dotBox(side - dot, 0, dot, dot);
        painter.setPen(Qt::NoPen);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.setBrush(Qt::black);
        painter.drawEllipse(dotBox.adjusted(-ring, -ring, ring, ring));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setBrush(dotColour);
        painter.drawEllipse(dotBox);
    }
    return result;
}

QIcon TrayIconImage::icon(const std::string& symbol, const QColor& colour, const QColor& dotColour,
                          bool badged)
{
    QIcon result;
    for (const int pixels : iconPixels) {
        const QImage picture = image(symbol, colour, dotColour, badged, pixels);
        if (picture.isNull()) {
            return {};
        }
        result.addPixmap(QPixmap::fromImage(picture));
    }
    return result;
}

} // namespace brindle
