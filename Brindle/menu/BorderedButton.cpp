#include "Brindle/menu/BorderedButton.hpp"

#include "Brindle/SystemFont.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace brindle {
namespace {

constexpr qreal textPoints = 11;
constexpr int horizontalPadding = 9;
constexpr int buttonHeight = 22;
constexpr qreal radius = 5;

} // namespace

BorderedButton::BorderedButton(const QString& text, std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
}

QSize BorderedButton::sizeHint() const
{
    const QFontMetricsF metrics(SystemFont::font(textPoints, QFont::Normal, this));
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text()))) + 2 * horizontalPadding,
            buttonHeight};
}

void BorderedButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool dark = Tone::isDark(palette());
    QColor fill = dark ? QColor::fromRgbF(1, 1, 1, 0.14f) : QColor(Qt::white);
    if (isDown()) {
        fill = Tone::primary(palette(), 0.15);
    }
    painter.setBrush(fill);
    painter.setPen(QPen(Tone::primary(palette(), 0.18), 1));
    painter.drawRoundedRect(box, radius, radius);
    painter.setFont(SystemFont::font(textPoints, QFont::Normal, this));
    painter.setPen(Tone::primary(palette()));
    painter.drawText(box, Qt::AlignCenter, text());
}

} // namespace brindle
