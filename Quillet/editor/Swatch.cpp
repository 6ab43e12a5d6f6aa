#include "Quillet/editor/Swatch.hpp"

#include "Quillet/editor/ToolbarColors.hpp"

#include <QPainter>

#include <string>

namespace quillet {

namespace {

constexpr double outlineWidth = 1;
constexpr double outlineOpacity = 0.2;
constexpr double ringWidth = 1.5;
constexpr double ringOpacity = 0.7;
constexpr double dimmedOpacity = 0.4;

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
    painter.setPen(Qt::NoPen);
    painter.setBrush(
        QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green), static_cast<float>(c.blue)));
    painter.drawEllipse(circle);
    // Inner strokes: the pen runs half a line inside the shape's edge.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(ToolbarColors::primary(palette(), outlineOpacity), outlineWidth));
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
