#pragma once

#include "Quillet/thumbnails/ThumbnailDisplay.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"

namespace quillet {

// The floating thumbnail stack behind the application state's thumbnail interface.
class ThumbnailStack final : public ThumbnailDisplay {
public:
    void add(const QUrl& url, const QImage& image, double scale, bool isVideo) override
    {
        stack_.add(url, image, scale, isVideo);
    }
    void replaceImage(const QUuid& id, const QImage& image) override { stack_.replaceImage(id, image); }
    void setOnEdit(Action action) override { stack_.setOnEdit(std::move(action)); }

    [[nodiscard]] quillet::Thumbnails& stack() { return stack_; }

private:
    quillet::Thumbnails stack_;
};

} // namespace quillet
