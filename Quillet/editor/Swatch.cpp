#include "Quillet/editor/Swatch.hpp"

#include "Quillet/editor/ToolbarColors.hpp"

#include <QPainter>

#include <algorithm>
#include <cmath>

#include <string>

namespace quillet {

namespace {

constexpr double outlineWidth = 1;
// A colour that stands out from the bar by itself keeps a faint edge; one that nearly matches the bar
// (black on the dark bar, yellow on the light one) gets an edge in the bar's text colour strong enough
// to draw the circle.
constexpr double faintOutlineOpacity = 0.2;
constexpr double strongOutlineOpacity = 0.45;
// Below this contrast ratio (as the web's accessibility guidelines measure it, 1 to 21) a circle no
// longer reads against the bar without help.
constexpr double distinctContrast = 2.0;
constexpr double ringWidth = 1.5;
constexpr double ringOpacity = 0.7;
constexpr double dimmedOpacity = 0.4;

[[nodiscard]] double linear(double component)
{
    return component <= 0.04045 ? component / 12.92 : std::pow((component + 0.055) / 1.055, 2.4);
}

[[nodiscard]] double luminance(const QColor& colour)
{
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
}

[[nodiscard]] double contrast(const QColor& one, const QColor& other)
{
    // By value: std::minmax of two temporaries would hand back references to them.
    const auto [darker, lighter] = std::minmax({luminance(one), luminance(other)});
    return (lighter + 0.05) / (darker + 0.05);
}

// How strongly the circle's edge is drawn in the bar's text colour.
[[nodiscard]] double outlineOpacity(const QColor& fill, const QColor& bar)
{
    return contrast(fill, bar) < distinctContrast ? strongOutlineOpacity : faintOutlineOpacity;
}

} // namespace

Swatch::Swatch(AnnotationColor color, QWidget* parent) : QAbstractButton(parent), color_(color)
{
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(sizeHint());
    const std::string name(title(color));
    setToolTip(QObject::tr(name.c_str()));
    setAccessibleName(QString::fromStdString(name));
}

void Swatch::setDimmed(bool dimmed)
{
    if (dimmed_ != dimmed) {
        dimmed_ = dimmed;
        update();
    }
}

void Swatch::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(dimmed_ ? dimmedOpacity : 1.0);
    const QRectF circle(padding, padding, diameter, diameter);
    const RgbComponents c = rgb(color_);
    const QColor fill =
        QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green), static_cast<float>(c.blue));
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawEllipse(circle);
    // Inner strokes: the pen runs half a line inside the shape's edge.
    painter.setBrush(Qt::NoBrush);
    const double opacity = outlineOpacity(fill, palette().color(QPalette::Window));
    painter.setPen(QPen(ToolbarColors::primary(palette(), opacity), outlineWidth));
    painter.drawEllipse(
        circle.adjusted(outlineWidth / 2, outlineWidth / 2, -outlineWidth / 2, -outlineWidth / 2));
    if (isChecked()) {
        const QRectF ring =
            QRectF(rect()).adjusted(ringWidth / 2, ringWidth / 2, -ringWidth / 2, -ringWidth / 2);
        painter.setPen(QPen(ToolbarColors::primary(palette(), ringOpacity), ringWidth));
        painter.drawEllipse(ring);
    }
}

} // namespace quillet
