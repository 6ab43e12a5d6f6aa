#include "core/AnnotationColor.hpp"

namespace quillet {

RgbComponents rgb(AnnotationColor color)
{
    constexpr double max8Bit = 255.0;
    switch (color) {
    case AnnotationColor::pink:
        return {1.0, 45 / max8Bit, 111 / max8Bit};
    case AnnotationColor::red:
        return {1.0, 59 / max8Bit, 48 / max8Bit};
    case AnnotationColor::yellow:
        return {1.0, 0.8, 0.0};
    case AnnotationColor::green:
        return {52 / max8Bit, 199 / max8Bit, 89 / max8Bit};
    case AnnotationColor::blue:
        return {0.0, 122 / max8Bit, 1.0};
    case AnnotationColor::black:
        return {0.1, 0.1, 0.1};
    }
    return {};
}

std::string_view title(AnnotationColor color)
{
    switch (color) {
    case AnnotationColor::pink:
        return "Pink";
    case AnnotationColor::red:
        return "Red";
    case AnnotationColor::yellow:
        return "Yellow";
    case AnnotationColor::green:
        return "Green";
    case AnnotationColor::blue:
        return "Blue";
    case AnnotationColor::black:
        return "Black";
    }
    return {};
}

} // namespace quillet
