#include "Quillet/editor/ToolbarTextButton.hpp"

#include "Brindle/SystemFont.hpp"
#include "Quillet/editor/ToolbarColors.hpp"

#include <QFontMetricsF>
#include <QPainter>
#include <QtMath>

namespace quillet {

namespace {

constexpr double fontPoints = 13;
constexpr double horizontalPadding = 14;
constexpr double cornerRadius = 7;
constexpr double standardFillOpacity = 0.09;
constexpr double standardPressedOpacity = 0.16;
constexpr double disabledOpacity = 0.45;

} // namespace

ToolbarTextButton::ToolbarTextButton(const QString& label, Style style, QWidget* parent)
    : QAbstractButton(parent), style_(style)
{
    setText(label);
    setFocusPolicy(Qt::NoFocus);
    setFont(brindle::SystemFont::font(fontPoints, style == Style::prominent ? QFont::DemiBold : QFont::Normal,
                                      this));
    setFixedSize(sizeHint());
}

QSize ToolbarTextButton::sizeHint() const
{
    const double label = QFontMetricsF(font()).horizontalAdvance(text());
    return {std::max(minimumWidth, qCeil(label + 2 * horizontalPadding)), height};
}

void ToolbarTextButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) {
        painter.setOpacity(disabledOpacity);
    }
    const QRectF bounds(rect());
    QColor fill;
    QColor label;
    switch (style_) {
    case Style::standard:
        fill = ToolbarColors::primary(palette(), isDown() ? standardPressedOpacity : standardFillOpacity);
        label = ToolbarColors::primary(palette(), 1.0);
        break;
    case Style::prominent:
        fill = isDown() ? ToolbarColors::purpleBottom : ToolbarColors::purple;
        label = Qt::white;
        break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(bounds, cornerRadius, cornerRadius);
    painter.setPen(label);
    painter.setFont(font());
    painter.drawText(bounds, Qt::AlignCenter, text());
}

} // namespace quillet
