#pragma once

#include "kit-core/RawValueCases.hpp"

#include <array>
#include <optional>
#include <string_view>

namespace quillet {

// The colours of arrows, numbers and text, in swatch order.
enum class AnnotationColor { pink, red, yellow, green, blue, black };

} // namespace quillet

template <> struct brindle::RawValueCases<quillet::AnnotationColor> {
    static constexpr std::array cases{std::pair{quillet::AnnotationColor::pink, std::string_view("pink")},
                                      std::pair{quillet::AnnotationColor::red, std::string_view("red")},
                                      std::pair{quillet::AnnotationColor::yellow, std::string_view("yellow")},
                                      std::pair{quillet::AnnotationColor::green, std::string_view("green")},
                                      std::pair{quillet::AnnotationColor::blue, std::string_view("blue")},
                                      std::pair{quillet::AnnotationColor::black, std::string_view("black")}};
};

namespace quillet {

inline constexpr auto allAnnotationColors = brindle::allCases<AnnotationColor>();
inline constexpr AnnotationColor defaultAnnotationColor = AnnotationColor::pink;

// Components in 0...1; the renderer picks the alpha.
struct RgbComponents {
    double red = 0;
    double green = 0;
    double blue = 0;

    friend constexpr bool operator==(RgbComponents, RgbComponents) = default;
};

[[nodiscard]] RgbComponents rgb(AnnotationColor color);

[[nodiscard]] constexpr std::string_view rawValue(AnnotationColor color)
{
    return brindle::rawValue(color);
}

// Raw values are case-sensitive: "Pink" is no colour.
[[nodiscard]] constexpr std::optional<AnnotationColor> annotationColorFromRawValue(std::string_view raw)
{
    return brindle::fromRawValue<AnnotationColor>(raw);
}

// The swatch's help text.
[[nodiscard]] std::string_view title(AnnotationColor color);

} // namespace quillet
