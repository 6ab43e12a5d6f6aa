#pragma once

namespace quillet {

// Drawing sizes of a capture's marks, in image pixels, all proportional to the capture's pixels per
// point so marks look the same size on screen whatever the capture's resolution.
struct AnnotationStyle {
    // Image pixels per point. The constructor keeps it at least 1; assigning later stores it as is.
    double scale = 1.0;

    AnnotationStyle() = default;
    explicit AnnotationStyle(double scale);

    [[nodiscard]] double arrowTailRadius() const { return 1.6 * scale; }
    [[nodiscard]] double arrowNeckRadius() const { return 4.2 * scale; }
    [[nodiscard]] double arrowHeadLength() const { return 26 * scale; }
    [[nodiscard]] double arrowHeadWidth() const { return 24 * scale; }
    [[nodiscard]] double arrowCornerWidth() const { return 2 * scale; }
    [[nodiscard]] double numberRadius() const { return 14 * scale; }
    [[nodiscard]] double numberRingWidth() const { return 2.5 * scale; }
    [[nodiscard]] double numberFontSize() const { return 16 * scale; }
    [[nodiscard]] double textFontSize() const { return 20 * scale; }
    [[nodiscard]] double redactBlockSize() const { return 14 * scale; }
    // The pixelation block edge as whole pixels, never below 2 so a redaction always hides detail.
    [[nodiscard]] int redactBlockPixels() const;

    friend bool operator==(const AnnotationStyle&, const AnnotationStyle&) = default;
};

} // namespace quillet
