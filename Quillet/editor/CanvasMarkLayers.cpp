#include "Quillet/editor/CanvasMarkLayers.hpp"

#include "Quillet/common/QtGeometry.hpp"
#include "Quillet/editor/AnnotationRenderer.hpp"
#include "core/AnnotationGeometry.hpp"

#include <QPainter>

namespace quillet {

namespace {

// The renderer's passes: redactions, then highlights, then arrows, numbers and text.
[[nodiscard]] int passOf(const Mark& mark)
{
    switch (mark.annotation.kind()) {
    case Annotation::Kind::redact:
        return 0;
    case Annotation::Kind::highlight:
        return 1;
    case Annotation::Kind::arrow:
    case Annotation::Kind::number:
    case Annotation::Kind::text:
        return 2;
    }
    return 2;
}

} // namespace

// Beyond the box drawn around a selected mark: shadows, outlines and antialiased edges, in points.
constexpr double reachPoints = 16;
constexpr double reachPixels = 2;

[[nodiscard]] QRectF reachOf(const Mark& mark, const AnnotationRenderer& renderer)
{
    const Rect box =
        AnnotationGeometry::bounds(mark.annotation, renderer.style(),
                                   [&renderer](const std::string& text) { return renderer.textSize(text); });
    const double margin = reachPoints * renderer.style().scale + reachPixels;
    return toQt(box.standardized()).adjusted(-margin, -margin, margin, margin);
}

std::optional<CanvasMarkLayers::Split> CanvasMarkLayers::split(const std::vector<Mark>& marks,
                                                               std::size_t changing,
                                                               const AnnotationRenderer& renderer) const
{
    const int changingPass = passOf(marks[changing]);
    const QRectF changingReach = reachOf(marks[changing], renderer);
    Split result;
    for (std::size_t i = 0, still = 0; i < marks.size(); ++i) {
        if (i == changing) {
            continue;
        }
        const int pass = passOf(marks[i]);
        const bool clear = !stillReach_[still++].intersects(changingReach);
        const bool before = clear || pass < changingPass || (pass == changingPass && i < changing);
        // Highlights multiply into what lies under them: they cannot be kept in a transparent layer.
        if (!before && pass == 1) {
            return std::nullopt;
        }
        (before ? result.below : result.above).push_back(marks[i]);
    }
    return result;
}

void CanvasMarkLayers::rebuild(const QImage& backdrop, const Split& split, const AnnotationRenderer& renderer,
                               const ImageSpace& imageSpace)
{
    below_ = backdrop.copy();
    above_ = QImage();
    {
        QPainter painter(&below_);
        imageSpace(painter);
        renderer.drawMarks(split.below, painter);
    }
    if (split.above.empty()) {
        return;
    }
    above_ = QImage(backdrop.size(), QImage::Format_ARGB32_Premultiplied);
    above_.setDevicePixelRatio(backdrop.devicePixelRatio());
    above_.fill(Qt::transparent);
    QPainter painter(&above_);
    imageSpace(painter);
    renderer.drawMarks(split.above, painter);
}

void CanvasMarkLayers::paint(QPainter& painter, const QImage& backdrop, const std::vector<Mark>& marks,
                             std::optional<std::size_t> changing, const AnnotationRenderer& renderer,
                             const ImageSpace& imageSpace)
{
    std::optional<Split> layers;
    std::vector<Mark> still;
    bool sameMarks = false;
    if (changing && *changing < marks.size()) {
        still = marks;
        still.erase(still.begin() + static_cast<std::ptrdiff_t>(*changing));
        sameMarks = still == still_ && changing == changing_;
        if (!sameMarks) {
            stillReach_.clear();
            for (const Mark& mark : still) {
                stillReach_.push_back(reachOf(mark, renderer));
            }
        }
        layers = split(marks, *changing, renderer);
    }
    if (!layers) {
        // Nothing moves, or it cannot be separated: draw everything, and keep no layers.
        still_.clear();
        changing_.reset();
        stillReach_.clear();
        below_ = above_ = QImage();
        painter.drawImage(QPointF(0, 0), backdrop);
        painter.save();
        imageSpace(painter);
        renderer.drawMarks(marks, painter);
        painter.restore();
        return;
    }
    const QRectF changingReach = reachOf(marks[*changing], renderer);
    std::vector<bool> clear;
    for (const QRectF& reach : stillReach_) {
        clear.push_back(!reach.intersects(changingReach));
    }
    if (!sameMarks || clear != stillClear_ || backdrop.cacheKey() != backdropKey_ || below_.isNull()) {
        rebuild(backdrop, *layers, renderer, imageSpace);
        still_ = std::move(still);
        changing_ = changing;
        backdropKey_ = backdrop.cacheKey();
        stillClear_ = std::move(clear);
    }
    painter.drawImage(QPointF(0, 0), below_);
    painter.save();
    imageSpace(painter);
    renderer.drawMarks({marks[*changing]}, painter);
    painter.restore();
    if (!above_.isNull()) {
        painter.drawImage(QPointF(0, 0), above_);
    }
}

} // namespace quillet
