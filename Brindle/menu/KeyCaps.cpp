#include "Brindle/menu/KeyCaps.hpp"

#include "Brindle/SystemFont.hpp"
#include "Brindle/menu/Tone.hpp"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace brindle {
namespace {

constexpr qreal textPoints = 11;
constexpr qreal spacing = 3;
constexpr qreal minimumSide = 20;
constexpr qreal textPadding = 2;
constexpr qreal radius = 5;
constexpr qreal fillOpacity = 0.07;
constexpr qreal borderOpacity = 0.10;

} // namespace

KeyCaps::KeyCaps(const QStringList& keys, QWidget* parent) : QWidget(parent), keys_(keys)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void KeyCaps::setKeys(const QStringList& keys)
{
    keys_ = keys;
    updateGeometry();
    update();
}

QList<QRectF> KeyCaps::capRects() const
{
    const QFontMetricsF metrics(SystemFont::font(textPoints, QFont::Medium, this));
    QList<QRectF> caps;
    qreal x = 0;
    for (const QString& key : keys_) {
        const qreal width = std::max(minimumSide, metrics.horizontalAdvance(key) + 2 * textPadding);
        caps.append(QRectF(x, 0, std::ceil(width), minimumSide));
        x += std::ceil(width) + spacing;
    }
    return caps;
}

QSize KeyCaps::sizeHint() const
{
    const QList<QRectF> caps = capRects();
    if (caps.isEmpty()) {
        return {0, 0};
    }
    return {static_cast<int>(std::ceil(caps.last().right())), static_cast<int>(minimumSide)};
}

void KeyCaps::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(SystemFont::font(textPoints, QFont::Medium, this));
    const QList<QRectF> caps = capRects();
    const qreal top = (height() - minimumSide) / 2;
    for (qsizetype index = 0; index < caps.size(); ++index) {
        const QRectF cap = caps[index].translated(0, top);
        painter.setPen(QPen(Tone::primary(palette(), borderOpacity), 1));
        painter.setBrush(Tone::primary(palette(), fillOpacity));
        painter.drawRoundedRect(cap.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);
        painter.setPen(Tone::primary(palette(), Tone::secondary));
        painter.drawText(cap, Qt::AlignCenter, keys_[index]);
    }
}

} // namespace brindle
