#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace quillet {

// The colours of arrows, numbers and text, in swatch order. Raw values are the stored names.
enum class AnnotationColor { pink, red, yellow, green, blue, black };

inline constexpr std::array allAnnotationColors{AnnotationColor::pink,   AnnotationColor::red,
                                                AnnotationColor::yellow, AnnotationColor::green,
                                                AnnotationColor::blue,   AnnotationColor::black};
inline constexpr AnnotationColor defaultAnnotationColor = AnnotationColor::pink;

// Components in 0...1; the renderer picks the alpha.
struct RgbComponents {
    double red = 0;
    double green = 0;
    double blue = 0;

    friend constexpr bool operator==(RgbComponents, RgbComponents) = default;
};

[[nodiscard]] RgbComponents rgb(AnnotationColor color);
[[nodiscard]] std::string_view rawValue(AnnotationColor color);
// Raw values are case-sensitive: "Pink" is no colour.
[[nodiscard]] std::optional<AnnotationColor> annotationColorFromRawValue(std::string_view raw);
// The swatch's help text.
[[nodiscard]] std::string_view title(AnnotationColor color);

} // namespace quillet
