#pragma once

#include "core/Annotation.hpp"
#include "core/AnnotationColor.hpp"

#include <utility>

namespace quillet {

// One mark on a capture. Lists of marks are drawn in order, the last one on top.
struct Mark {
    Annotation annotation;
    AnnotationColor color = defaultAnnotationColor;

    // An empty mark in the default colour, for containers and queued signals that need a default value.
    Mark() = default;
    Mark(Annotation annotation, AnnotationColor color) : annotation(std::move(annotation)), color(color) {}

    friend bool operator==(const Mark&, const Mark&) = default;
};

} // namespace quillet
