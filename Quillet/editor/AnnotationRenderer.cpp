#include "Quillet/editor/AnnotationRenderer.hpp"

#include "Quillet/common/QtGeometry.hpp"
#include "Quillet/editor/GroupShadow.hpp"
#include "Quillet/editor/TextLine.hpp"
#include "core/AnnotationGeometry.hpp"
#include "core/Overloaded.hpp"
#include "core/Pixelation.hpp"
#include "core/RedactionBlocks.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QThreadPool>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <random>
#include <span>

namespace quillet {

namespace {

constexpr QImage::Format bitmapFormat = QImage::Format_RGBA8888_Premultiplied;

// Highlights are one fixed marker yellow, multiplied into the capture, whatever the mark's colour.
constexpr double highlightRed = 1.0;
constexpr double highlightGreen = 0.86;
constexpr double highlightBlue = 0.1;
constexpr double highlightAlpha = 0.7;
constexpr double highlightCornerPoints = 3;

constexpr double shadowAlpha = 0.3;
constexpr double shadowOffsetPoints = 1;
constexpr double shadowBlurPoints = 3;

// The outline is drawn centred on the glyphs' edges: half of it reaches as far as the backing.
constexpr double textOutlinePerFontSize = 2 * TextBacking::growthPerEm;

[[nodiscard]] QColor qtColor(AnnotationColor color)
{
    const RgbComponents c = rgb(color);
    return QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green),
                            static_cast<float>(c.blue));
}

// Badge digits shrink as they get longer so they stay inside the disc.
[[nodiscard]] double digitScale(qsizetype characters)
{
    if (characters <= 1) {
        return 1.0;
    }
    if (characters == 2) {
        return 0.82;
    }
    return 0.66;
}

[[nodiscard]] GroupShadow shadowFor(const AnnotationStyle& style)
{
    return GroupShadow(QPointF(0, shadowOffsetPoints * style.scale), shadowBlurPoints * style.scale,
                       QColor::fromRgbF(0, 0, 0, shadowAlpha));
}

[[nodiscard]] QRectF discBounds(QPointF center, double radius)
{
    return {center.x() - radius, center.y() - radius, 2 * radius, 2 * radius};
}

[[nodiscard]] std::uint64_t freshSeed()
{
    std::random_device device;
    constexpr int wordBits = 32;
    return (static_cast<std::uint64_t>(device()) << wordBits) ^ device();
}

[[nodiscard]] RedactionBlocks::Bitmap bitmapOf(QImage& image)
{
    return {std::span<std::uint8_t>(image.bits(), static_cast<std::size_t>(image.sizeInBytes())),
            image.width(), image.height(), image.bytesPerLine()};
}

[[nodiscard]] RedactionBlocks::ConstBitmap constBitmapOf(const QImage& image)
{
    return {std::span<const std::uint8_t>(image.constBits(), static_cast<std::size_t>(image.sizeInBytes())),
            image.width(), image.height(), image.bytesPerLine()};
}

} // namespace

struct AnnotationRenderer::PixelatedCache {
    QImage image;
    int blockPixels;
    Pixelator pixelator;
    std::uint64_t noiseSeed;
    std::mutex lock;
    std::optional<QImage> pixelated;
    // What redactions show, by how many grid blocks one of their blocks spans: the grid means
    // merged and moved by the noise, made once per block size and kept for every redraw and save.
    std::map<std::int64_t, QImage> shown;

    std::optional<QImage> get()
    {
        const std::lock_guard guard(lock);
        return getLocked();
    }

    std::optional<QImage> blocks(std::int64_t factor)
    {
        const std::lock_guard guard(lock);
        if (const auto found = shown.find(factor); found != shown.end()) {
            return found->second;
        }
        const std::optional<QImage> means = getLocked();
        // Merging reads one pixel per grid block in the layout of the image; a copy of any other
        // shape would leave the merged blocks unwritten.
        if (!means || means->width() != Pixelation::blockCount(image.width(), blockPixels) ||
            means->height() != Pixelation::blockCount(image.height(), blockPixels)) {
            return std::nullopt;
        }
        const QImage grid = means->convertToFormat(bitmapFormat);
        QImage merged(static_cast<int>(Pixelation::blockCount(grid.width(), factor)),
                      static_cast<int>(Pixelation::blockCount(grid.height(), factor)), bitmapFormat);
        if (grid.isNull() || merged.isNull()) {
            return std::nullopt;
        }
        RedactionBlocks::merge(constBitmapOf(grid), image.width(), image.height(), blockPixels, factor,
                               bitmapOf(merged));
        // Each block size draws its own offsets, so two redactions with different blocks over the
        // same pixels do not share a pattern that could be subtracted.
        RedactionBlocks::addNoise(bitmapOf(merged), noiseSeed ^ static_cast<std::uint64_t>(factor));
        shown.emplace(factor, merged);
        return merged;
    }

private:
    std::optional<QImage> getLocked()
    {
        if (!pixelated) {
            pixelated = pixelator(image, blockPixels);
        }
        return pixelated;
    }
};

AnnotationRenderer::AnnotationRenderer(const QImage& image, AnnotationStyle style)
    : AnnotationRenderer(image, style, &AnnotationRenderer::pixelate)
{
}

AnnotationRenderer::AnnotationRenderer(const QImage& image, AnnotationStyle style, Pixelator pixelator)
    : AnnotationRenderer(image, style, std::move(pixelator), freshSeed())
{
}

AnnotationRenderer::AnnotationRenderer(const QImage& image, AnnotationStyle style, Pixelator pixelator,
                                       std::uint64_t noiseSeed)
    : image_(image.convertToFormat(bitmapFormat)), style_(style)
{
    // Marks are in image pixels; a device pixel ratio on the capture would scale them twice.
    image_.setDevicePixelRatio(1.0);
    cache_ = std::make_shared<PixelatedCache>();
    cache_->image = image_;
    cache_->blockPixels = style_.redactBlockPixels();
    cache_->pixelator = std::move(pixelator);
    cache_->noiseSeed = noiseSeed;
}

std::optional<QImage> AnnotationRenderer::pixelate(const QImage& image, int blockPixels)
{
    const QImage source = image.convertToFormat(bitmapFormat);
    const auto columns = Pixelation::blockCount(source.width(), blockPixels);
    const auto rows = Pixelation::blockCount(source.height(), blockPixels);
    QImage means(static_cast<int>(columns), static_cast<int>(rows), bitmapFormat);
    if (source.isNull() || means.isNull()) {
        return std::nullopt;
    }
    Pixelation::blockMeans(
        std::span<const std::uint8_t>(source.constBits(), static_cast<std::size_t>(source.sizeInBytes())),
        source.width(), source.height(), source.bytesPerLine(), blockPixels,
        std::span<std::uint8_t>(means.bits(), static_cast<std::size_t>(means.sizeInBytes())),
        means.bytesPerLine());
    return means;
}

std::optional<QImage> AnnotationRenderer::pixelated() const
{
    return cache_->get();
}

std::optional<QImage> AnnotationRenderer::redactionBlocks(std::int64_t blockPixels) const
{
    const std::int64_t grid = style_.redactBlockPixels();
    if (blockPixels < grid || blockPixels % grid != 0) {
        return std::nullopt;
    }
    return cache_->blocks(blockPixels / grid);
}

void AnnotationRenderer::prepare() const
{
    QThreadPool::globalInstance()->start([cache = cache_] { (void)cache->get(); });
}

void AnnotationRenderer::draw(const std::vector<Mark>& marks, QPainter& painter) const
{
    painter.drawImage(QRectF(0, 0, image_.width(), image_.height()), image_);
    drawMarks(marks, painter);
}

std::optional<QImage> AnnotationRenderer::exportImage(const std::vector<Mark>& marks) const
{
    // Drawing the image over a cleared bitmap would reproduce it exactly, so start from a copy.
    QImage bitmap = image_.copy();
    if (bitmap.isNull()) {
        return std::nullopt;
    }
    QPainter painter(&bitmap);
    if (!painter.isActive()) {
        return std::nullopt;
    }
    drawMarks(marks, painter);
    painter.end();
    return bitmap;
}

bool AnnotationRenderer::paintRows(const std::vector<Mark>& marks, int top, QImage& band) const
{
    if (band.width() != image_.width() || band.format() != image_.format() || top < 0 ||
        top + band.height() > image_.height()) {
        return false;
    }
    const auto rowBytes = static_cast<std::size_t>(image_.bytesPerLine());
    for (int y = 0; y < band.height(); ++y) {
        std::memcpy(band.scanLine(y), image_.constScanLine(top + y), rowBytes);
    }
    QPainter painter(&band);
    if (!painter.isActive()) {
        return false;
    }
    // Whole pixels: every mark lands on the same pixels as in the whole image.
    painter.translate(0, -top);
    drawMarks(marks, painter);
    return true;
}

std::optional<QImage> AnnotationRenderer::exportPreview(const std::vector<Mark>& marks, int longestSide) const
{
    const QSize size = image_.size();
    if (std::max(size.width(), size.height()) <= longestSide) {
        return exportImage(marks);
    }
    const QSize reduced = size.scaled(longestSide, longestSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    QImage preview = image_.scaled(reduced, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (preview.isNull()) {
        return std::nullopt;
    }
    QPainter painter(&preview);
    if (!painter.isActive()) {
        return std::nullopt;
    }
    painter.scale(static_cast<double>(reduced.width()) / size.width(),
                  static_cast<double>(reduced.height()) / size.height());
    drawMarks(marks, painter);
    painter.end();
    return preview;
}

Size AnnotationRenderer::textSize(const std::string& text) const
{
    const TextLine line(QString::fromStdString(text), style_.textFontSize(), QFont::Bold);
    return {line.typographicWidth(), line.ascent() + line.descent()};
}

void AnnotationRenderer::drawMarks(const std::vector<Mark>& marks, QPainter& painter) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawRedactions(marks, painter);
    drawHighlights(marks, painter);
    drawPointMarks(marks, painter);
    painter.restore();
}

void AnnotationRenderer::drawRedactions(const std::vector<Mark>& marks, QPainter& painter) const
{
    const QRectF bounds(0, 0, image_.width(), image_.height());
    for (const Mark& mark : marks) {
        const auto* redact = mark.annotation.as<Annotation::Redact>();
        if (redact == nullptr) {
            continue;
        }
        const QRectF area = toQt(redact->rect.standardized()).intersected(bounds);
        if (area.isEmpty()) {
            continue;
        }
        const std::int64_t block = RedactionBlocks::blockPixels(fromQt(area), style_.redactBlockPixels());
        const std::optional<QImage> copy = redactionBlocks(block);
        if (!copy) {
            continue;
        }
        painter.save();
        painter.setClipRect(area, Qt::IntersectClip);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        // One pixel per block, blown up to the blocks' own size: the last blocks reach past the
        // image's edges and are cut by the clip.
        const auto edge = static_cast<double>(block);
        painter.drawImage(QRectF(0, 0, copy->width() * edge, copy->height() * edge), *copy);
        painter.restore();
    }
}

void AnnotationRenderer::drawHighlights(const std::vector<Mark>& marks, QPainter& painter) const
{
    const QColor yellow = QColor::fromRgbF(highlightRed, highlightGreen, highlightBlue, highlightAlpha);
    for (const Mark& mark : marks) {
        const auto* highlight = mark.annotation.as<Annotation::Highlight>();
        if (highlight == nullptr || highlight->rect.isNull()) {
            continue;
        }
        const QRectF rect = toQt(highlight->rect);
        const double radius =
            std::min({highlightCornerPoints * style_.scale, rect.width() / 2, rect.height() / 2});
        QPainterPath path;
        path.setFillRule(Qt::WindingFill);
        path.addRoundedRect(rect, radius, radius);
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        painter.fillPath(path, yellow);
        painter.restore();
    }
}

void AnnotationRenderer::drawPointMarks(const std::vector<Mark>& marks, QPainter& painter) const
{
    for (const Mark& mark : marks) {
        mark.annotation.visit(Overloaded{
            [&](const Annotation::Arrow& arrow) { drawArrow(arrow.from, arrow.to, mark.color, painter); },
            [&](const Annotation::Number& number) {
                drawNumber(number.value, number.center, mark.color, painter);
            },
            [&](const Annotation::Text& text) { drawText(text.string, text.origin, mark.color, painter); },
            [](const Annotation::Highlight&) {},
            [](const Annotation::Redact&) {},
        });
    }
}

void AnnotationRenderer::drawArrow(Point from, Point to, AnnotationColor color, QPainter& painter) const
{
    const auto arrow = AnnotationGeometry::arrow(from, to, style_);
    QPolygonF polygon;
    for (const Point& point : arrow.points) {
        polygon << toQt(point);
    }
    QPainterPath outline;
    outline.setFillRule(Qt::WindingFill);
    outline.addPolygon(polygon);
    outline.closeSubpath();

    const double lineWidth = style_.arrowCornerWidth();
    const double tailRadius = arrow.tailRadius + lineWidth / 2;
    const QRectF tail = discBounds(toQt(from), tailRadius);
    const QRectF bounds = outline.boundingRect()
                              .adjusted(-lineWidth / 2, -lineWidth / 2, lineWidth / 2, lineWidth / 2)
                              .united(tail);
    const QColor fill = qtColor(color);
    shadowFor(style_).paint(painter, bounds, [&](QPainter& group) {
        group.setPen(QPen(fill, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        group.setBrush(fill);
        group.drawPath(outline);
        group.setPen(Qt::NoPen);
        group.drawEllipse(tail);
    });
}

void AnnotationRenderer::drawNumber(std::int64_t value, Point center, AnnotationColor color,
                                    QPainter& painter) const
{
    const QPointF middle = toQt(center);
    const double radius = style_.numberRadius();
    const QRectF ring = discBounds(middle, radius + style_.numberRingWidth());
    // The shadow belongs to the white disc only; the coloured disc and digits sit on it.
    shadowFor(style_).paint(painter, ring, [&](QPainter& group) {
        group.setPen(Qt::NoPen);
        group.setBrush(Qt::white);
        group.drawEllipse(ring);
    });

    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(qtColor(color));
    painter.drawEllipse(discBounds(middle, radius));
    painter.restore();

    const QString digits = QString::number(static_cast<qlonglong>(value));
    const TextLine line(digits, style_.numberFontSize() * digitScale(digits.size()), QFont::Bold);
    const QPointF baseline(middle.x() - line.typographicWidth() / 2, middle.y() + line.capHeight() / 2);
    painter.fillPath(line.outline(baseline), Qt::white);
}

void AnnotationRenderer::drawText(const std::string& text, Point origin, AnnotationColor color,
                                  QPainter& painter) const
{
    const double fontSize = style_.textFontSize();
    const TextLine line(QString::fromStdString(text), fontSize, QFont::Bold);
    const QPointF baseline(origin.x, origin.y + line.ascent());
    const QPainterPath glyphs = line.outline(baseline);
    const std::vector<QPainterPath> backing = textBacking_.shapes(line, baseline);
    const double outlineWidth = textOutlinePerFontSize * fontSize;
    const QRectF bounds = glyphs.boundingRect().adjusted(-outlineWidth / 2, -outlineWidth / 2,
                                                         outlineWidth / 2, outlineWidth / 2);
    const QColor fill = qtColor(color);
    shadowFor(style_).paint(painter, bounds, [&](QPainter& group) {
        // The stroke is the outline exactly where the backing's curves, made at a smaller size, may
        // fall a hair inside it.
        group.strokePath(glyphs, QPen(Qt::white, outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (const QPainterPath& shape : backing) {
            group.fillPath(shape, Qt::white);
        }
        group.fillPath(glyphs, fill);
    });
}

} // namespace quillet
