#pragma once

#include "Brindle/XcbHotKeys.hpp"
#include "Quillet/thumbnails/ThumbnailDisplay.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"

namespace quillet {

// The floating thumbnail stack behind the application state's thumbnail interface.
class ThumbnailStack final : public ThumbnailDisplay {
public:
    ThumbnailStack() { stack_.setCopyKeys(std::make_unique<brindle::XcbHotKeys>()); }

    void add(const QUrl& url, const QImage& image, double scale, bool isVideo) override
    {
        stack_.add(url, image, scale, isVideo);
    }
    QUuid addSaving(const QImage& image, double scale) override { return stack_.addSaving(image, scale); }
    void finishSaving(const QUuid& id, const QUrl& url) override { stack_.finishSaving(id, url); }
    void remove(const QUuid& id) override { stack_.remove(id); }
    void replaceImage(const QUuid& id, const QImage& image) override { stack_.replaceImage(id, image); }
    void setOnEdit(Action action) override { stack_.setOnEdit(std::move(action)); }
    void setOnCopy(Action action) override { stack_.setOnCopy(std::move(action)); }
    void showCopied(const QUuid& id) override { stack_.showCopied(id); }
    void setOnCopyText(Action action, std::function<QString()> unavailableReason) override
    {
        stack_.setOnCopyText(std::move(action), std::move(unavailableReason));
    }
    void showNotice(const QUuid& id, CardNotice notice) override { stack_.showNotice(id, notice); }

    [[nodiscard]] quillet::Thumbnails& stack() { return stack_; }

private:
    quillet::Thumbnails stack_;
};

} // namespace quillet
