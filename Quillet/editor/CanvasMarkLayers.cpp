#include "Quillet/editor/CanvasMarkLayers.hpp"

#include "Quillet/editor/AnnotationRenderer.hpp"

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

std::optional<CanvasMarkLayers::Split> CanvasMarkLayers::split(const std::vector<Mark>& marks,
                                                               std::size_t changing)
{
    const int changingPass = passOf(marks[changing]);
    Split result;
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (i == changing) {
            continue;
        }
        const int pass = passOf(marks[i]);
        const bool before = pass < changingPass || (pass == changingPass && i < changing);
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
    const std::optional<Split> layers =
        changing && *changing < marks.size() ? split(marks, *changing) : std::nullopt;
    if (!layers) {
        // Nothing moves, or it cannot be separated: draw everything, and keep no layers.
        still_.clear();
        changing_.reset();
        below_ = above_ = QImage();
        painter.drawImage(QPointF(0, 0), backdrop);
        painter.save();
        imageSpace(painter);
        renderer.drawMarks(marks, painter);
        painter.restore();
        return;
    }
    std::vector<Mark> still = marks;
    still.erase(still.begin() + static_cast<std::ptrdiff_t>(*changing));
    if (still != still_ || changing != changing_ || backdrop.cacheKey() != backdropKey_ || below_.isNull()) {
        rebuild(backdrop, *layers, renderer, imageSpace);
        still_ = std::move(still);
        changing_ = changing;
        backdropKey_ = backdrop.cacheKey();
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
