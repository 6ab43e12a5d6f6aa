#pragma once

#include "core/Mark.hpp"

#include <QImage>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

class QPainter;

namespace quillet {

class AnnotationRenderer;

// While one mark moves or is drawn, every other mark stays as it was: those drawn before it are kept
// in one ready image with the backdrop, those drawn after it in a transparent one, so a drag frame
// draws two images and one mark however many marks the capture has.
class CanvasMarkLayers {
public:
    // Sets up a painter on the view so that it draws in image pixels.
    using ImageSpace = std::function<void(QPainter&)>;

    // Paints the backdrop and `marks`; `changing` is the index of the one mark that changes from frame
    // to frame, if any.
    void paint(QPainter& painter, const QImage& backdrop, const std::vector<Mark>& marks,
               std::optional<std::size_t> changing, const AnnotationRenderer& renderer,
               const ImageSpace& imageSpace);

private:
    struct Split {
        std::vector<Mark> below;
        std::vector<Mark> above;
    };
    [[nodiscard]] static std::optional<Split> split(const std::vector<Mark>& marks, std::size_t changing);
    void rebuild(const QImage& backdrop, const Split& split, const AnnotationRenderer& renderer,
                 const ImageSpace& imageSpace);

    // What the layers were made from.
    std::vector<Mark> still_;
    std::optional<std::size_t> changing_;
    qint64 backdropKey_ = 0;
    QImage below_;
    QImage above_;
};

} // namespace quillet
