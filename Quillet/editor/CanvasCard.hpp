#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>

namespace quillet {

// The card the capture lies on in the canvas: a flat dark rectangle with a soft shadow below it.
//
// A blurred rectangle changes only near its edges: the shadow is worked out for a small card with the
// same fractional position, and its middle row and column are repeated out to the full size. Opening a
// large capture then does not pay for blurring a layer the size of the window, and the pixels are those
// of the whole card's shadow.
class CanvasCard {
public:
    static const QColor color;

    // Paints the card at `frame` (in the backdrop's logical units) onto `backdrop`, which must be
    // ARGB32 premultiplied and already filled with the flat `background` colour.
    static void paint(QImage& backdrop, const QRectF& frame, const QColor& background);

    // The same drawn whole, the slow way; what `paint` must match.
    static void paintWhole(QImage& backdrop, const QRectF& frame);
};

} // namespace quillet
