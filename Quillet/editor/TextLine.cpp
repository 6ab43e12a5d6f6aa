#include "Quillet/editor/TextLine.hpp"

#include "Brindle/SystemFont.hpp"

#include <QFontMetricsF>
#include <QTransform>

namespace quillet {

namespace {

// Large enough that rounding of the font engine's metrics is negligible after scaling down.
constexpr int referencePixelSize = 256;

[[nodiscard]] QFont referenceFont(QFont::Weight weight)
{
    QFont font(TextLine::systemFamily());
    font.setWeight(weight);
    font.setPixelSize(referencePixelSize);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferOutline);
    return font;
}

} // namespace

QString TextLine::systemFamily()
{
    return QStringLiteral("Inter");
}

TextLine::TextLine(const QString& text, double pixelSize, QFont::Weight weight)
    : text_(text), font_(referenceFont(weight)), scale_(pixelSize / referencePixelSize)
{
    const QFontMetricsF metrics(font_);
    ascent_ = metrics.ascent() * scale_;
    descent_ = metrics.descent() * scale_;
    capHeight_ = metrics.capHeight() * scale_;
    width_ = metrics.horizontalAdvance(text_) * scale_;
}

QPainterPath TextLine::outline(QPointF baselineOrigin) const
{
    QPainterPath path;
    path.addText(QPointF(0, 0), font_, text_);
    // Glyph contours may overlap; only non-zero winding fills them whole.
    path.setFillRule(Qt::WindingFill);
    QTransform placement;
    placement.translate(baselineOrigin.x(), baselineOrigin.y());
    placement.scale(scale_, scale_);
    return placement.map(path);
}

} // namespace quillet
