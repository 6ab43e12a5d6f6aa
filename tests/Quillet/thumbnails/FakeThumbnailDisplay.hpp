#pragma once

#include "Quillet/thumbnails/ThumbnailDisplay.hpp"

#include <algorithm>
#include <utility>
#include <vector>

namespace quillet::testing {

struct AddedThumbnail {
    QUrl url;
    QSize size;
    double scale = 1;
    bool isVideo = false;
    bool isSaving = false;
    QUuid id;
};

// Cards as the state asked for them: what was added, finished, removed and which images were replaced.
class FakeThumbnailDisplay final : public ThumbnailDisplay {
public:
    void add(const QUrl& url, const QImage& image, double scale, bool isVideo) override
    {
        added.push_back({url, image.size(), scale, isVideo, false, QUuid::createUuid()});
    }
    QUuid addSaving(const QImage& image, double scale) override
    {
        added.push_back({QUrl(), image.size(), scale, false, true, QUuid::createUuid()});
        return added.back().id;
    }
    void finishSaving(const QUuid& id, const QUrl& url) override
    {
        for (auto& card : added) {
            if (card.id == id) {
                card = {url, card.size, card.scale, false, false, id};
            }
        }
    }
    void remove(const QUuid& id) override
    {
        std::erase_if(added, [&id](const AddedThumbnail& card) { return card.id == id; });
        ++removed;
    }
    // Cards whose file is complete (or that never waited for one).
    [[nodiscard]] std::size_t finished() const
    {
        return std::count_if(added.begin(), added.end(),
                             [](const AddedThumbnail& card) { return !card.isSaving; });
    }
    void replaceImage(const QUuid& id, const QImage& image) override
    {
        replaced.emplace_back(id, image.size());
    }
    void setOnEdit(Action action) override { onEdit = std::move(action); }
    void setOnCopy(Action action) override { onCopy = std::move(action); }
    void showCopied(const QUuid& id) override { copied.push_back(id); }
    void setOnCopyText(Action action, std::function<QString()> unavailableReason) override
    {
        onCopyText = std::move(action);
        copyTextUnavailable = std::move(unavailableReason);
    }
    void showNotice(const QUuid& id, CardNotice notice) override { notices.emplace_back(id, notice); }

    std::vector<AddedThumbnail> added;
    std::vector<std::pair<QUuid, QSize>> replaced;
    int removed = 0;
    Action onEdit;
    Action onCopy;
    std::vector<QUuid> copied;
    Action onCopyText;
    std::function<QString()> copyTextUnavailable;
    std::vector<std::pair<QUuid, CardNotice>> notices;
};

} // namespace quillet::testing
