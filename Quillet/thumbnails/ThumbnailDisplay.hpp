#pragma once

#include "Quillet/thumbnails/CardNotice.hpp"
#include "Quillet/thumbnails/ThumbnailItem.hpp"

#include <QImage>
#include <QUrl>
#include <QUuid>

#include <functional>

namespace quillet {

// What the application state needs of the floating thumbnail stack.
class ThumbnailDisplay {
public:
    using Action = std::function<void(const ThumbnailItem&)>;
    virtual ~ThumbnailDisplay() = default;

    // `image` is the full capture; the card shows a reduced copy.
    virtual void add(const QUrl& url, const QImage& image, double scale, bool isVideo) = 0;
    // A still's card while its file is being written: only Dismiss until `finishSaving`.
    virtual QUuid addSaving(const QImage& image, double scale) = 0;
    virtual void finishSaving(const QUuid& id, const QUrl& url) = 0;
    virtual void remove(const QUuid& id) = 0;
    virtual void replaceImage(const QUuid& id, const QImage& image) = 0;
    virtual void setOnEdit(Action action) = 0;
    // Puts a card's capture on the clipboard (made off the main thread), then `showCopied` confirms it.
    virtual void setOnCopy(Action action) = 0;
    virtual void showCopied(const QUuid& id) = 0;
    // Reads a still's text onto the clipboard (off the main thread), telling the card with `showNotice`
    // how it goes. `unavailableReason` says, when the menu opens, why it cannot (empty when it can).
    virtual void setOnCopyText(Action action, std::function<QString()> unavailableReason) = 0;
    virtual void showNotice(const QUuid& id, CardNotice notice) = 0;
};

} // namespace quillet
