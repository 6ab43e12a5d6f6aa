#include "Quillet/recording/SelectionPills.hpp"

#include "Brindle/Symbol.hpp"
#include "Brindle/SystemFont.hpp"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace quillet::SelectionPills {
namespace {

constexpr qreal fontPoints = 13;
constexpr qreal paddingWidth = 48;
constexpr qreal paddingHeight = 14;
constexpr qreal textPillNarrowing = 24;
constexpr qreal contentInset = 12;
constexpr qreal symbolPoints = 12;
constexpr qreal symbolAdvance = 22;
constexpr qreal textBoxAboveBottom = 7;
const QColor edge(255, 255, 255, 64); // white at 25 %
constexpr qreal edgeWidth = 1;

QString tr(const char* text)
{
    return QCoreApplication::translate("AreaSelector", text);
}

} // namespace

QFont font()
{
    return brindle::SystemFont::font(fontPoints, QFont::Medium);
}

QSizeF size(const QString& text)
{
    const QFontMetricsF metrics(font());
    return {metrics.horizontalAdvance(text) + paddingWidth, metrics.height() + paddingHeight};
}

QRectF draw(QPainter& painter, const QString& text, QPointF centre, bool highlighted, std::string_view symbol)
{
    const QSizeF padded = size(text);
    const bool hasSymbol = !symbol.empty();
    const QSizeF pill(hasSymbol ? padded.width() : padded.width() - textPillNarrowing, padded.height());
    const QRectF box(centre - QPointF(pill.width() / 2, pill.height() / 2), pill);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    // A light edge inside the pill's outline keeps a dark pill visible on a dark screen, where the
    // frozen picture leaves nothing to tell it from its surroundings.
    painter.setPen(QPen(edge, edgeWidth));
    painter.setBrush(highlighted ? highlight : plain);
    const QRectF outline = box.adjusted(edgeWidth / 2, edgeWidth / 2, -edgeWidth / 2, -edgeWidth / 2);
    painter.drawRoundedRect(outline, outline.height() / 2, outline.height() / 2);

    qreal textLeft = box.left() + contentInset;
    if (hasSymbol) {
        const qreal side = brindle::Symbol::boxSize(symbolPoints);
        const QRectF symbolBox(textLeft, box.center().y() - side / 2, side, side);
        if (brindle::Symbol::draw(painter, symbol, symbolBox, symbolPoints, brindle::Symbol::Weight::semibold,
                                  Qt::white)) {
            textLeft += symbolAdvance;
        }
    }
    // The text's box (not its baseline) sits that far above the pill's bottom, which centres it.
    const QFont textFont = font();
    painter.setFont(textFont);
    painter.setPen(Qt::white);
    const qreal descent = QFontMetricsF(textFont).descent();
    painter.drawText(QPointF(textLeft, box.bottom() - textBoxAboveBottom - descent), text);
    painter.restore();
    return box;
}

QString hint()
{
    return tr("Drag to record an area \u00b7 Click to record this screen \u00b7 Esc to cancel");
}

QString sizeLabel(int width, int height)
{
    return QStringLiteral("%1 \u00d7 %2").arg(width).arg(height);
}

QString microphoneText(bool isBlocked, bool isOn, const QString& name)
{
    if (isBlocked) {
        return tr("Microphone: blocked in Settings");
    }
    return isOn ? tr("Microphone: ") + name : tr("Microphone: off");
}

QString clicksText(bool isOn)
{
    return isOn ? tr("Show clicks: on") : tr("Show clicks: off");
}

QString clicksUnavailable()
{
    return tr("Show clicks: off \u00b7 Wayland shares no clicks");
}

QString noMicrophone()
{
    return tr("No microphone");
}

} // namespace quillet::SelectionPills
