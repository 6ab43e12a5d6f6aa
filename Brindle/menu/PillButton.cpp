#include "Brindle/menu/PillButton.hpp"

#include "Brindle/Symbol.hpp"
#include "Brindle/SystemFont.hpp"
#include "Brindle/menu/AppBrand.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace brindle {
namespace {

constexpr qreal symbolSpacing = 4;
constexpr int horizontalPadding = 10;
constexpr int buttonHeight = 22;
constexpr qreal pressedOpacity = 0.7;
constexpr qreal plainFillOpacity = 0.08;

} // namespace

PillButton::PillButton(const AppBrand& brand, const QString& text, bool prominent,
                       std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent), accent_(brand.accent), prominent_(prominent)
{
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] { action(); });
}

void PillButton::setSymbol(std::string symbol)
{
    symbol_ = std::move(symbol);
    updateGeometry();
}

void PillButton::setCornerRadius(qreal radius)
{
    cornerRadius_ = radius;
    update();
}

void PillButton::setAccent(const QColor& accent)
{
    accent_ = accent;
    update();
}

void PillButton::setTextPoints(qreal points, QFont::Weight weight)
{
    textPoints_ = points;
    weight_ = weight;
    updateGeometry();
}

qreal PillButton::symbolWidth() const
{
    return symbol_.empty() ? 0 : Symbol::boxSize(textPoints_) + symbolSpacing;
}

QSize PillButton::sizeHint() const
{
    const QFontMetricsF metrics(SystemFont::font(textPoints_, weight_, this));
    const qreal width = metrics.horizontalAdvance(text()) + symbolWidth();
    return {static_cast<int>(std::ceil(width)) + 2 * horizontalPadding, buttonHeight};
}

void PillButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? pressedOpacity : 1.0);
    const QRectF box(rect());
    const qreal radius = cornerRadius_ >= 0 ? cornerRadius_ : box.height() / 2;
    painter.setPen(Qt::NoPen);
    if (prominent_) {
        painter.setBrush(Tone::automaticGradient(accent_, box));
    } else {
        painter.setBrush(Tone::primary(palette(), plainFillOpacity));
    }
    painter.drawRoundedRect(box, radius, radius);
    const QColor foreground = prominent_ ? QColor(Qt::white) : Tone::primary(palette());
    painter.setFont(SystemFont::font(textPoints_, weight_, this));
    const QFontMetricsF metrics(painter.font());
    const qreal contentWidth = metrics.horizontalAdvance(text()) + symbolWidth();
    const qreal left = box.center().x() - contentWidth / 2;
    if (!symbol_.empty()) {
        const qreal side = Symbol::boxSize(textPoints_);
        Symbol::draw(painter, symbol_, QRectF(left, box.center().y() - side / 2, side, side), textPoints_,
                     Symbol::Weight::semibold, foreground);
    }
    painter.setPen(foreground);
    painter.drawText(QRectF(left + symbolWidth(), box.top(), contentWidth, box.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace brindle
