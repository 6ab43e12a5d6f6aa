#include "Quillet/editor/TextLine.hpp"

#include "Brindle/SystemFont.hpp"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextLayout>

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

int TextLine::referenceSize()
{
    return referencePixelSize;
}

QTransform TextLine::placement(QPointF baselineOrigin) const
{
    QTransform placement;
    placement.translate(baselineOrigin.x(), baselineOrigin.y());
    placement.scale(scale_, scale_);
    return placement;
}

QPainterPath TextLine::outline(QPointF baselineOrigin) const
{
    QPainterPath path;
    path.addText(QPointF(0, 0), font_, text_);
    // Glyph contours may overlap; only non-zero winding fills them whole.
    path.setFillRule(Qt::WindingFill);
    return placement(baselineOrigin).map(path);
}

std::vector<TextLine::Glyph> TextLine::glyphs() const
{
    QTextLayout layout(text_, font_);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    std::vector<Glyph> glyphs;
    if (!line.isValid()) {
        return glyphs;
    }
    // The layout puts the first line's baseline one ascent down; the glyphs sit on the baseline.
    const QPointF baseline(0, line.ascent());
    for (const QGlyphRun& run : line.glyphRuns()) {
        const QList<quint32> indexes = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < indexes.size() && i < positions.size(); ++i) {
            glyphs.push_back({run.rawFont(), indexes[i], positions[i] - baseline});
        }
    }
    return glyphs;
}

} // namespace quillet
