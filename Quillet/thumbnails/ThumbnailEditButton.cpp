#include "Quillet/thumbnails/ThumbnailEditButton.hpp"

#include "Brindle/Symbol.hpp"
#include "Brindle/SystemFont.hpp"

#include <QFontMetricsF>
#include <QPainter>

namespace quillet {
namespace {

constexpr qreal fontPoints = 12;
constexpr qreal horizontalPadding = 12;
constexpr qreal verticalPadding = 6;
constexpr qreal symbolToTitle = 4;
const auto symbolName = "pencil.tip.crop.circle";
const QColor capsuleColor(255, 255, 255, qRound(0.9 * 255));
const QColor pressedCapsuleColor(255, 255, 255, qRound(0.7 * 255));

[[nodiscard]] QString title()
{
    return QObject::tr("Edit");
}

} // namespace

ThumbnailEditButton::ThumbnailEditButton(std::function<void()> action, QWidget* parent)
    : QAbstractButton(parent)
{
    setText(title());
    setAccessibleName(title());
    setFocusPolicy(Qt::NoFocus);
    setFont(brindle::SystemFont::font(fontPoints, QFont::DemiBold, this));
    resize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, [action = std::move(action)] {
        if (action) {
            action();
        }
    });
}

QSize ThumbnailEditButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal symbol = brindle::Symbol::boxSize(fontPoints);
    const qreal width = horizontalPadding * 2 + symbol + symbolToTitle + metrics.horizontalAdvance(text());
    const qreal height = verticalPadding * 2 + std::max(symbol, metrics.height());
    return {qCeil(width), qCeil(height)};
}

void ThumbnailEditButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(isDown() ? pressedCapsuleColor : capsuleColor);
    painter.drawRoundedRect(bounds, bounds.height() / 2, bounds.height() / 2);

    const qreal symbol = brindle::Symbol::boxSize(fontPoints);
    const QRectF symbolBox(horizontalPadding, (bounds.height() - symbol) / 2, symbol, symbol);
    brindle::Symbol::draw(painter, symbolName, symbolBox, fontPoints, brindle::Symbol::Weight::semibold,
                          Qt::black);
    painter.setPen(Qt::black);
    painter.setFont(font());
    const QRectF titleBox(symbolBox.right() + symbolToTitle, 0, bounds.width(), bounds.height());
    painter.drawText(titleBox, Qt::AlignLeft | Qt::AlignVCenter, text());
}

} // namespace quillet
