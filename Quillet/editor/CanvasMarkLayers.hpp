#pragma once

#include "core/Mark.hpp"

#include <QImage>
#include <QRectF>

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

class QPainter;

namespace quillet {

class AnnotationRenderer;

// While one mark moves or is drawn, every other mark stays as it was: those drawn before it are kept
// in one ready image with the backdrop, those drawn after it in a transparent one, so a drag frame
// draws two images and one mark however many marks the capture has. A later mark that lies clear of
// the changing one goes into the first image too (the order of marks that do not touch changes no
// pixel), so that a drag away from other marks draws one image and one mark.
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
    [[nodiscard]] std::optional<Split> split(const std::vector<Mark>& marks, std::size_t changing,
                                             const AnnotationRenderer& renderer) const;
    void rebuild(const QImage& backdrop, const Split& split, const AnnotationRenderer& renderer,
                 const ImageSpace& imageSpace);

    // What the layers were made from.
    std::vector<Mark> still_;
    std::optional<std::size_t> changing_;
    // How far each still mark's pixels reach, in image pixels, in the order of `still_`.
    std::vector<QRectF> stillReach_;
    // Which still marks lay clear of the changing one when the layers were made.
    std::vector<bool> stillClear_;
    qint64 backdropKey_ = 0;
    QImage below_;
    QImage above_;
};

} // namespace quillet
