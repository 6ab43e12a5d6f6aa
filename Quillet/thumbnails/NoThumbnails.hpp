#pragma once

#include "Quillet/thumbnails/ThumbnailDisplay.hpp"

namespace quillet {

// The cards of a preview: it never shows any.
class NoThumbnails final : public ThumbnailDisplay {
public:
    void add(const QUrl&, const QImage&, double, bool) override {}
    QUuid addSaving(const QImage&, double) override { return {}; }
    void finishSaving(const QUuid&, const QUrl&) override {}
    void remove(const QUuid&) override {}
    void replaceImage(const QUuid&, const QImage&) override {}
    void setOnEdit(Action) override {}
    void setOnCopy(Action) override {}
    void showCopied(const QUuid&) override {}
    void setOnCopyText(Action, std::function<QString()>) override {}
    void showNotice(const QUuid&, CardNotice) override {}
};

} // namespace quillet
