#include "Quillet/diagnostics/SyntheticCapture.hpp"

#include "Brindle/SystemFont.hpp"

#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>

#include <cmath>

namespace quillet {
namespace {

constexpr double seedStep = 0.07;
constexpr int firstLineY = 2760; // measured upwards from the bottom edge
constexpr int lineStep = 44;
constexpr int lowestLineY = 120;
constexpr double textLeft = 1000;
constexpr QRectF sideBar(0, 0, 900, SyntheticCapture::height);

// The layout is given with y growing upwards from the bottom edge; Qt's grows downwards.
[[nodiscard]] constexpr double flipped(double y)
{
    return SyntheticCapture::height - y;
}

// A gradient that is not extended covers only the band between the lines through its ends at right
// angles to it; the rest of the bitmap keeps what was there.
void drawUnextendedGradient(QPainter& painter, QPointF from, QPointF to, const QColor& start,
                            const QColor& end)
{
    const QPointF axis = to - from;
    const double length = std::hypot(axis.x(), axis.y());
    if (length <= 0) {
        return;
    }
    const double reach = SyntheticCapture::width + SyntheticCapture::height;
    const QPointF across = QPointF(-axis.y(), axis.x()) * (reach / length);
    QLinearGradient gradient(from, to);
    gradient.setColorAt(0, start);
    gradient.setColorAt(1, end);
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawPolygon(QPolygonF{from + across, to + across, to - across, from - across});
}

} // namespace

QImage SyntheticCapture::make(int seed)
{
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    const double s = seedStep * seed;
    QPainter painter(&image);
    painter.fillRect(image.rect(), QColor::fromRgbF(0.96F, 0.96F, 0.97F));
    painter.fillRect(sideBar, QColor::fromRgbF(static_cast<float>(0.2 + s), 0.24F, 0.32F));
    drawUnextendedGradient(painter, QPointF(2600, flipped(400)), QPointF(4800, flipped(1600)),
                           QColor::fromRgbF(0.29F, static_cast<float>(0.33 + s), 0.85F),
                           QColor::fromRgbF(0.85F, 0.31F, static_cast<float>(0.62 - 0.5 * s)));

    painter.setFont(brindle::SystemFont::font(SyntheticCapture::textPoints, QFont::Normal, &image));
    painter.setPen(QColor::fromRgbF(1.0F / 3, 1.0F / 3, 1.0F / 3));
    int line = 0;
    for (int y = firstLineY; y > lowestLineY; y -= lineStep, ++line) {
        const QString text =
            QStringLiteral("Capture %1 \u00b7 line %2 \u00b7 The quick brown fox jumps over the lazy dog "
                           "0123456789")
                .arg(seed)
                .arg(line);
        painter.drawText(QPointF(textLeft, flipped(y)), text);
    }
    return image;
}

} // namespace quillet
