#include "Quillet/editor/EditorSample.hpp"

#include "Quillet/editor/TextLine.hpp"
#include "core/AnnotationGeometry.hpp"

#include <QPainter>

namespace quillet {

namespace {

struct SampleLine {
    double top;
    double size;
    QColor color;
    QString text;
};

void drawLine(QPainter& painter, double left, const SampleLine& line, QFont::Weight weight)
{
    const TextLine text(line.text, line.size, weight);
    painter.fillPath(text.outline(QPointF(left, line.top + text.ascent())), line.color);
}

} // namespace

QImage EditorSample::screenshot()
{
    QImage image(screenshotWidth, screenshotHeight, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull()) {
        return image;
    }
    const QColor gray = QColor::fromRgbF(0.5, 0.5, 0.5);
    const QColor darkGray = QColor::fromRgbF(1.0 / 3, 1.0 / 3, 1.0 / 3);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(image.rect(), QColor::fromRgbF(0.97, 0.97, 0.97));
    painter.fillRect(QRectF(0, 0, 1600, 72), QColor::fromRgbF(0.9, 0.9, 0.9));
    painter.fillRect(QRectF(1100, 72, 500, 928), QColor::fromRgbF(0.2, 0.24, 0.32));

    QPainterPath button;
    button.addRoundedRect(QRectF(1180, 520, 300, 76), 14, 14);
    painter.fillPath(button, QColor::fromRgbF(0.35, 0.55, 0.95));

    const SampleLine lines[] = {
        {96, 44, Qt::black, QStringLiteral("Order summary")},
        {240, 32, Qt::black, QStringLiteral("Ship to: Maria Keller, 42 Elm Street")},
        {396, 32, darkGray, QStringLiteral("Invoice INV-2024-0817-QX")},
        {470, 28, darkGray, QStringLiteral("Paid with Visa ending in 4242")},
        {600, 36, gray, QStringLiteral("Total: $1,284.00")},
    };
    for (const SampleLine& line : lines) {
        drawLine(painter, 100, line, QFont::Medium);
    }
    drawLine(painter, 1294, {538, 32, Qt::white, QStringLiteral("Save")}, QFont::DemiBold);
    return image;
}

std::vector<Mark> EditorSample::marks()
{
    // The block size of a capture at two pixels per point.
    constexpr int redactionBlock = 28;
    const Rect bounds(0, 0, screenshotWidth, screenshotHeight);
    return {
        Mark(Annotation::highlight({96, 236, 560, 56}), AnnotationColor::pink),
        Mark(
            Annotation::redact(AnnotationGeometry::redactionRect({96, 392, 640, 60}, redactionBlock, bounds)),
            AnnotationColor::pink),
        Mark(Annotation::arrow({1180, 760}, {1340, 600}), AnnotationColor::pink),
        Mark(Annotation::number({60, 264}, 1), AnnotationColor::pink),
        Mark(Annotation::number({60, 420}, 2), AnnotationColor::pink),
        Mark(Annotation::number({1300, 860}, 12), AnnotationColor::blue),
        Mark(Annotation::text({900, 790}, "Click Save to finish"), AnnotationColor::pink),
        Mark(Annotation::text({560, 600}, "Dark text works too"), AnnotationColor::black),
    };
}

} // namespace quillet
