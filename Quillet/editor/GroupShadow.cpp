#include "Quillet/editor/GroupShadow.hpp"

#include "Quillet/common/AlphaBlur.hpp"

#include <QImage>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <vector>

namespace quillet {

namespace {

// Blur lengths follow the usual drop-shadow convention: the blur radius is twice the deviation.
constexpr double deviationPerBlurLength = 0.5;

[[nodiscard]] QPointF deviceVector(const QTransform& transform, QPointF userVector)
{
    return transform.map(userVector) - transform.map(QPointF(0, 0));
}

// The group's coverage, blurred, as black-based premultiplied pixels scaled by the shadow colour.
[[nodiscard]] QImage shadowOf(const QImage& layer, double sigma, const QColor& color)
{
    const int width = layer.width();
    const int height = layer.height();
    std::vector<std::uint8_t> coverage(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            coverage[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(qAlpha(row[x]));
        }
    }
    AlphaBlur::blur(coverage, width, height, width, sigma);

    QImage shadow(width, height, QImage::Format_ARGB32_Premultiplied);
    if (shadow.isNull()) {
        return shadow;
    }
    const int alpha = color.alpha();
    const int red = color.red() * alpha / 255;
    const int green = color.green() * alpha / 255;
    const int blue = color.blue() * alpha / 255;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int c = coverage[static_cast<std::size_t>(y) * width + x];
            row[x] = qRgba((red * c + 127) / 255, (green * c + 127) / 255, (blue * c + 127) / 255,
                           (alpha * c + 127) / 255);
        }
    }
    return shadow;
}

} // namespace

GroupShadow::GroupShadow(QPointF userOffset, double userBlur, QColor color)
    : userOffset_(userOffset), userBlur_(userBlur), color_(color)
{
}

void GroupShadow::paint(QPainter& painter, const QRectF& userBounds,
                        const std::function<void(QPainter&)>& drawGroup) const
{
    // Device pixels, including a high-density device's pixel ratio, so the layer is never coarser
    // than the drawing it shadows.
    const QTransform transform = painter.deviceTransform();
    // The device the pixels land on: while a widget is rendered into an image, the painter's own device
    // is the widget, in its logical size, but the image may be larger.
    const QPaintDevice* target =
        painter.paintEngine() != nullptr ? painter.paintEngine()->paintDevice() : painter.device();
    // Image sizes are in pixels, widget sizes in logical units: scaling by the ratio never undercounts.
    const double pixelRatio = std::max(target->devicePixelRatio(), 1.0);
    const QPointF offset = deviceVector(transform, userOffset_);
    const double blurLength = QLineF(QPointF(0, 0), deviceVector(transform, QPointF(userBlur_, 0))).length();
    const double sigma = blurLength * deviationPerBlurLength;
    const int margin =
        AlphaBlur::margin(sigma) + static_cast<int>(std::ceil(std::hypot(offset.x(), offset.y())));

    // Only the part of the group that can reach the device matters; a zoomed-in canvas must not make
    // a layer larger than its own window.
    const QRect deviceArea = QRect(0, 0, static_cast<int>(std::ceil(target->width() * pixelRatio)),
                                   static_cast<int>(std::ceil(target->height() * pixelRatio)))
                                 .adjusted(-margin, -margin, margin, margin);
    const QRect layerRect =
        transform.mapRect(userBounds).toAlignedRect().adjusted(-margin, -margin, margin, margin) & deviceArea;
    if (layerRect.isEmpty()) {
        return;
    }

    QImage layer(layerRect.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) {
        return;
    }
    layer.fill(Qt::transparent);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter.renderHints());
        layerPainter.setTransform(transform * QTransform::fromTranslate(-layerRect.left(), -layerRect.top()));
        drawGroup(layerPainter);
    }

    const QImage shadow = shadowOf(layer, sigma, color_);
    painter.save();
    // Layer pixels go to device pixels one to one. Whatever else maps the painter to its device (a
    // high-density ratio, the offset of a child widget rendered into its window's image) stays in
    // force, so the world transform undoes it instead of dropping it.
    painter.resetTransform();
    const QTransform base = painter.deviceTransform();
    painter.setWorldTransform(QTransform::fromTranslate(layerRect.left(), layerRect.top()) * base.inverted());
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!shadow.isNull()) {
        // Rounded here, half up, rather than by the paint engine, which rounds half away from zero: a
        // layer starting above or left of the device would get its shadow a pixel off, and a band of
        // the image painted on its own would differ from the whole image at offsets of half a pixel.
        painter.drawImage(QPointF(std::floor(offset.x() + 0.5), std::floor(offset.y() + 0.5)), shadow);
    }
    painter.drawImage(QPointF(0, 0), layer);
    painter.restore();
}

} // namespace quillet
