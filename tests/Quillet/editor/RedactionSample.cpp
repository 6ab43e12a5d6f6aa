#include "tests/Quillet/editor/RedactionSample.hpp"

#include "core/AnnotationGeometry.hpp"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

namespace quillet::testing {

namespace {

constexpr QImage::Format bitmapFormat = QImage::Format_RGBA8888_Premultiplied;

[[nodiscard]] QFont fontOf(const TextSample& sample)
{
    QFont font(sample.family);
    font.setPixelSize(sample.pixelSize);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace

QImage TextSample::render(const QString& text, QSize size, QPoint origin) const
{
    QImage image(size, bitmapFormat);
    image.fill(background());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setFont(fontOf(*this));
    painter.setPen(ink());
    painter.drawText(origin, text);
    return image;
}

QImage TextSample::render(const QString& text) const
{
    const QFontMetrics metrics(fontOf(*this));
    const int margin = pixelSize / 2 + 8;
    const QSize size(metrics.horizontalAdvance(text) + 2 * margin, metrics.height() + 2 * margin);
    return render(text, size, QPoint(margin, margin + metrics.ascent()));
}

QRect inkBox(const QImage& image, QColor background)
{
    const QImage plain = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb expected = background.rgba();
    QRect box;
    for (int y = 0; y < plain.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(plain.constScanLine(y));
        for (int x = 0; x < plain.width(); ++x) {
            if (row[x] != expected) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

Rect redactionOver(QRect ink, const QImage& image, int gridPixels)
{
    const Rect dragged(ink.x(), ink.y(), ink.width(), ink.height());
    const Rect bounds(0, 0, image.width(), image.height());
    return AnnotationGeometry::redactionRect(dragged, gridPixels, bounds);
}

} // namespace quillet::testing
