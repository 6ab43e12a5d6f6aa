#include "Quillet/editor/ToolButton.hpp"

#include "Brindle/Symbol.hpp"
#include "Quillet/editor/ToolbarColors.hpp"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <string>

namespace quillet {

namespace {

constexpr double symbolPoints = 14;
constexpr double cornerRadius = 7;
constexpr double hoverOpacity = 0.08;
constexpr double symbolOpacity = 0.8;

[[nodiscard]] QString tooltipOf(EditorTool tool)
{
    const QString key =
        QString::fromUtf8(quillet::key(tool).data(), static_cast<qsizetype>(quillet::key(tool).size()));
    const std::string_view name = title(tool);
    return QObject::tr(std::string(name).c_str()) + QStringLiteral("  ") + key.toUpper();
}

} // namespace

ToolButton::ToolButton(EditorTool tool, QWidget* parent) : QAbstractButton(parent), tool_(tool)
{
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(width, height);
    setToolTip(tooltipOf(tool));
    const std::string_view name = title(tool);
    setAccessibleName(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
}

void ToolButton::enterEvent(QEnterEvent* event)
{
    hovering_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ToolButton::leaveEvent(QEvent* event)
{
    hovering_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ToolButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    QPainterPath shape;
    shape.addRoundedRect(bounds, cornerRadius, cornerRadius);
    if (isChecked()) {
        QLinearGradient gradient(bounds.topLeft(), bounds.bottomLeft());
        gradient.setColorAt(0, ToolbarColors::purpleTop);
        gradient.setColorAt(1, ToolbarColors::purpleBottom);
        painter.fillPath(shape, gradient);
    } else if (hovering_) {
        painter.fillPath(shape, ToolbarColors::primary(palette(), hoverOpacity));
    }
    const QColor symbolColor =
        isChecked() ? QColor(Qt::white) : ToolbarColors::primary(palette(), symbolOpacity);
    const qreal side = brindle::Symbol::boxSize(symbolPoints);
    const QRectF box(bounds.center().x() - side / 2, bounds.center().y() - side / 2, side, side);
    brindle::Symbol::draw(painter, symbol(tool_), box, symbolPoints, brindle::Symbol::Weight::medium,
                          symbolColor);
}

} // namespace quillet
