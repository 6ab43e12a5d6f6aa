#pragma once

#include <QImage>
#include <QUrl>
#include <QUuid>

namespace quillet {

// One saved capture shown as a card in the thumbnail stack.
struct ThumbnailItem {
    QUuid id;
    QUrl url;
    QImage image;       // the reduced copy the card shows; replaced after an edit
    double scale = 1.0; // the capture's pixels per point, handed on to the editor
    bool isVideo = false;
    // The capture is shown while its file is still being written: `url` is empty until then, and the
    // card offers nothing but Dismiss.
    bool isSaving = false;

    // The same card showing the very same image in the same state: a replaced image counts as a
    // change even when its pixels happen to be equal.
    friend bool operator==(const ThumbnailItem& a, const ThumbnailItem& b)
    {
        return a.id == b.id && a.image.cacheKey() == b.image.cacheKey() && a.isSaving == b.isSaving &&
               a.url == b.url;
    }
};

} // namespace quillet
