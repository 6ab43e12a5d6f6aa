#pragma once

#include "Quillet/thumbnails/ThumbnailDisplay.hpp"

namespace quillet {

// The cards of a preview: it never shows any.
class NoThumbnails final : public ThumbnailDisplay {
public:
    void add(const QUrl&, const QImage&, double, bool) override {}
    void replaceImage(const QUuid&, const QImage&) override {}
    void setOnEdit(Action) override {}
};

} // namespace quillet
