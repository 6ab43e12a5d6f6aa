#include "Quillet/editor/CanvasCard.hpp"

#include "Quillet/editor/GroupShadow.hpp"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quillet {

namespace {

const QColor shadowColor = QColor::fromRgbF(0, 0, 0, 0.5f);
constexpr double shadowOffsetPoints = 2;
constexpr double shadowBlurPoints = 14;
// How far past the card the shadow can reach, in blur lengths: the blur spreads coverage about 1.4 of
// them, so two leave room.
constexpr double reachPerBlur = 2;
// Extra device pixels around the reach, so that rounding at fractional edges stays inside the patch.
constexpr int reachSlack = 2;

// `scale` turns the shadow's points into the painter's units. The platform's shadow offsets point down
// in a flipped view: the card's shadow falls below it.
void paintCard(QPainter& painter, const QRectF& frame, double scale)
{
    painter.setRenderHint(QPainter::Antialiasing);
    GroupShadow(QPointF(0, shadowOffsetPoints * scale), shadowBlurPoints * scale, shadowColor)
        .paint(painter, frame, [&](QPainter& card) { card.fillRect(frame, CanvasCard::color); });
}

// Where a row or column of the full card comes from in the small one: the part before `split` as it
// is, the `shrink` pixels after it from `split` itself, the rest from `shrink` pixels earlier.
[[nodiscard]] int sourceIndex(int index, int split, int shrink)
{
    if (index < split) {
        return index;
    }
    return index < split + shrink ? split : index - shrink;
}

// Row `source` of the patch, stretched by `shrink` columns at `split`, into the backdrop's row at
// column `left`, cut at the backdrop's edges.
void stretchRow(const QRgb* source, int sourceWidth, int split, int shrink, QRgb* target, int targetWidth,
                int left)
{
    const int from = std::max(0, left);
    const int to = std::min(targetWidth, left + sourceWidth + shrink);
    int x = from;
    const int stretchStart = left + split;
    const int stretchEnd = stretchStart + shrink;
    if (x < stretchStart) {
        const int end = std::min(to, stretchStart);
        std::memcpy(target + x, source + (x - left), static_cast<std::size_t>(end - x) * sizeof(QRgb));
        x = end;
    }
    if (x < stretchEnd && x < to) {
        const int end = std::min(to, stretchEnd);
        std::fill(target + x, target + end, source[split]);
        x = end;
    }
    if (x < to) {
        std::memcpy(target + x, source + (x - left - shrink),
                    static_cast<std::size_t>(to - x) * sizeof(QRgb));
    }
}

} // namespace

const QColor CanvasCard::color = QColor::fromRgbF(0.2f, 0.2f, 0.2f);

void CanvasCard::paintWhole(QImage& backdrop, const QRectF& frame)
{
    QPainter painter(&backdrop);
    paintCard(painter, frame, 1);
}

void CanvasCard::paint(QImage& backdrop, const QRectF& frame, const QColor& background)
{
    const double ratio = backdrop.devicePixelRatio();
    const QRectF device = QTransform::fromScale(ratio, ratio).mapRect(frame);
    const int reach =
        static_cast<int>(std::ceil((shadowOffsetPoints + reachPerBlur * shadowBlurPoints) * ratio)) +
        reachSlack;
    // Columns and rows this many pixels inside the card see neither of its far edges.
    const int core = 2 * reach + reachSlack;
    const int shrinkX = static_cast<int>(std::floor(device.width())) - core;
    const int shrinkY = static_cast<int>(std::floor(device.height())) - core;
    if (shrinkX <= 0 || shrinkY <= 0 || backdrop.format() != QImage::Format_ARGB32_Premultiplied) {
        paintWhole(backdrop, frame);
        return;
    }
    // The small card keeps the fractional part of the position and of the size, so its edges fall on
    // the same sub-pixel places.
    const int left = static_cast<int>(std::floor(device.left())) - reach;
    const int top = static_cast<int>(std::floor(device.top())) - reach;
    const QRectF small(device.left() - left, device.top() - top, device.width() - shrinkX,
                       device.height() - shrinkY);
    QImage patch(static_cast<int>(std::ceil(small.right())) + reach,
                 static_cast<int>(std::ceil(small.bottom())) + reach, QImage::Format_ARGB32_Premultiplied);
    if (patch.isNull()) {
        paintWhole(backdrop, frame);
        return;
    }
    patch.fill(background);
    {
        QPainter painter(&patch);
        paintCard(painter, small, ratio);
    }
    const int splitX = patch.width() / 2;
    const int splitY = patch.height() / 2;
    const int firstRow = std::max(0, top);
    const int lastRow = std::min(backdrop.height(), top + patch.height() + shrinkY);
    for (int y = firstRow; y < lastRow; ++y) {
        const int source = sourceIndex(y - top, splitY, shrinkY);
        stretchRow(reinterpret_cast<const QRgb*>(patch.constScanLine(source)), patch.width(), splitX, shrinkX,
                   reinterpret_cast<QRgb*>(backdrop.scanLine(y)), backdrop.width(), left);
    }
}

} // namespace quillet
