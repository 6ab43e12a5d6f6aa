#pragma once

#include "Quillet/editor/TextBacking.hpp"
#include "core/AnnotationStyle.hpp"
#include "core/Geometry.hpp"
#include "core/Mark.hpp"

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPainter;

namespace quillet {

// Draws a capture with its marks, on the editor canvas and into exported bitmaps, and measures text
// marks for geometry and hit testing. Owns the capture's image, its style and the pixelated copy
// of the whole image that every redaction shows through.
//
// A redaction's blocks grow with its size, and their colours carry offsets drawn from a seed the
// renderer picks once: the canvas and every save of this capture show the same blocks, and a second
// save hands out no second draw of the offsets to average against the first.
//
// `draw` and `exportImage` run on the main thread; `prepare` computes the pixelated copy on a
// worker thread. The copy is computed once, under the renderer's lock, so a redraw that needs it
// while the worker is still busy waits instead of computing it twice.
class AnnotationRenderer {
public:
    // Makes the pixelated copy of an image, or nothing when it cannot be made (out of memory).
    using Pixelator = std::function<std::optional<QImage>(const QImage& image, int blockPixels)>;

    // The image is kept as premultiplied RGBA, the layout pixelation and export work in.
    AnnotationRenderer(const QImage& image, AnnotationStyle style);
    AnnotationRenderer(const QImage& image, AnnotationStyle style, Pixelator pixelator);
    // With the redactions' colour offsets drawn from a given number instead of a random one.
    AnnotationRenderer(const QImage& image, AnnotationStyle style, Pixelator pixelator,
                       std::uint64_t noiseSeed);

    AnnotationRenderer(const AnnotationRenderer&) = delete;
    AnnotationRenderer& operator=(const AnnotationRenderer&) = delete;

    [[nodiscard]] const QImage& image() const { return image_; }
    [[nodiscard]] const AnnotationStyle& style() const { return style_; }

    // The whole image pixelated in blocks of `style().redactBlockPixels()`, one pixel per block,
    // computed on first use and kept; nothing when it cannot be made (a later call tries again).
    [[nodiscard]] std::optional<QImage> pixelated() const;

    // What a redaction with blocks of `blockPixels` shows, one pixel per block of the grid anchored
    // at the image origin: the blocks' means moved by their offsets. Made from the pixelated copy on
    // first use and kept; nothing when the copy cannot be made or the size is not a whole multiple
    // of `style().redactBlockPixels()`.
    [[nodiscard]] std::optional<QImage> redactionBlocks(std::int64_t blockPixels) const;

    // Starts computing the pixelated copy on a worker thread and returns at once.
    void prepare() const;

    // Draws the image and the marks. The painter's user space must be the image's pixel space
    // (origin top-left, y down); redactions lie under highlights, and both under arrows, numbers
    // and text, whatever the order of the list.
    void draw(const std::vector<Mark>& marks, QPainter& painter) const;
    // The marks alone, over an image the caller has drawn already (the canvas keeps a scaled copy).
    void drawMarks(const std::vector<Mark>& marks, QPainter& painter) const;

    // A new bitmap of the image's pixel size with the marks drawn in; nothing when it cannot be
    // allocated.
    [[nodiscard]] std::optional<QImage> exportImage(const std::vector<Mark>& marks) const;
    // Rows [top, top + band.height()) of `exportImage(marks)` painted into `band`, which must be as
    // wide as the image and in its layout: the same pixels, without a bitmap of the whole image. Safe
    // on several threads at once and beside the main thread's drawing.
    bool paintRows(const std::vector<Mark>& marks, int top, QImage& band) const;
    // `exportImage(marks)` as a reduced copy at most `longestSide` pixels on its longer side (the image
    // itself when it fits): the marks drawn over the reduced image. Safe off the main thread.
    [[nodiscard]] std::optional<QImage> exportPreview(const std::vector<Mark>& marks, int longestSide) const;

    // The box of a text mark's line in image pixels: typographic width by ascent plus descent.
    [[nodiscard]] Size textSize(const std::string& text) const;

    // The default pixelator: the mean of each block of the image as one pixel, so that the copy
    // costs a block's share of the image's memory.
    [[nodiscard]] static std::optional<QImage> pixelate(const QImage& image, int blockPixels);

private:
    struct PixelatedCache;

    void drawRedactions(const std::vector<Mark>& marks, QPainter& painter) const;
    void drawHighlights(const std::vector<Mark>& marks, QPainter& painter) const;
    void drawPointMarks(const std::vector<Mark>& marks, QPainter& painter) const;
    void drawArrow(Point from, Point to, AnnotationColor color, QPainter& painter) const;
    void drawNumber(std::int64_t value, Point center, AnnotationColor color, QPainter& painter) const;
    void drawText(const std::string& text, Point origin, AnnotationColor color, QPainter& painter) const;

    QImage image_;
    AnnotationStyle style_;
    // Shared with the worker started by `prepare`, so it outlives a renderer released meanwhile.
    std::shared_ptr<PixelatedCache> cache_;
    // The shapes behind text marks, made once per glyph.
    TextBacking textBacking_;
};

} // namespace quillet
