#include "Quillet/app/Cards.hpp"

#include "Quillet/common/BackgroundTask.hpp"
#include "Quillet/editor/EditorImageDecoder.hpp"
#include "Quillet/thumbnails/CaptureClipboard.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"

#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QUrl>

#include <algorithm>

namespace quillet {
namespace {

// What a copy of a capture file puts on the clipboard, read and encoded off the main thread.
struct CopiedFile {
    bool exists = false;
    QByteArray png; // empty for a recording, or a still whose pixels could not be read
};

[[nodiscard]] CopiedFile readForCopy(const QString& path, bool isVideo)
{
    if (!QFileInfo(path).isFile()) {
        return {};
    }
    if (isVideo) {
        return {.exists = true, .png = {}};
    }
    const std::optional<QImage> image = EditorImageDecoder::read(path);
    QByteArray png;
    if (image) {
        QBuffer buffer(&png);
        if (!buffer.open(QIODevice::WriteOnly) || !image->save(&buffer, "PNG")) {
            png.clear();
        }
    }
    return {.exists = true, .png = png};
}

// The text of a still's file; absent when the file or its text could not be read.
[[nodiscard]] std::optional<QString> readText(const QString& path, const TextRecognizer& text)
{
    const std::optional<QImage> image = EditorImageDecoder::read(path);
    return image ? text.read(*image) : std::nullopt;
}

} // namespace

Cards::Cards(std::unique_ptr<ThumbnailDisplay> thumbnails, std::unique_ptr<Editor> editor,
             std::shared_ptr<const TextRecognizer> text, QObject* parent)
    : QObject(parent), thumbnails_(std::move(thumbnails)), editor_(std::move(editor)), text_(std::move(text))
{
    thumbnails_->setOnCopy([self = QPointer(this)](const ThumbnailItem& item) {
        if (self) {
            self->copy(item);
        }
    });
    if (!text_) {
        return;
    }
    thumbnails_->setOnCopyText(
        [self = QPointer(this)](const ThumbnailItem& item) {
            if (self) {
                self->copyText(item);
            }
        },
        [text = text_] { return text->unavailableReason(); });
}

void Cards::copy(const ThumbnailItem& item)
{
    if (item.url.isLocalFile()) {
        copyFile(item.url.toLocalFile(), item.isVideo, item.id);
    }
}

void Cards::copyNew(const QString& path, bool isVideo)
{
    copyFile(path, isVideo, QUuid());
}

void Cards::copyFile(const QString& path, bool isVideo, const QUuid& card)
{
    runInBackground(
        this, [path, isVideo] { return readForCopy(path, isVideo); },
        [this, path, card](const CopiedFile& file) {
            // A file gone meanwhile is not offered as a dangling address.
            if (!file.exists) {
                return;
            }
            CaptureClipboard::copy(path, file.png);
            if (!card.isNull()) {
                thumbnails_->showCopied(card);
            }
        });
}

void Cards::copyText(const ThumbnailItem& item)
{
    if (!item.url.isLocalFile() || item.isVideo) {
        return;
    }
    thumbnails_->showNotice(item.id, CardNotice::readingText);
    runInBackground(
        this, [path = item.url.toLocalFile(), text = text_] { return readText(path, *text); },
        [this, id = item.id](const std::optional<QString>& text) {
            if (!text) {
                thumbnails_->showNotice(id, CardNotice::textFailed);
                return;
            }
            if (text->isEmpty()) {
                thumbnails_->showNotice(id, CardNotice::noText);
                return;
            }
            QGuiApplication::clipboard()->setText(*text, QClipboard::Clipboard);
            thumbnails_->showNotice(id, CardNotice::textCopied);
        });
}

void Cards::connectEditor()
{
    if (!editor_) {
        return;
    }
    thumbnails_->setOnEdit([self = QPointer(this)](const ThumbnailItem& item) {
        if (self) {
            self->edit(item);
        }
    });
}

void Cards::add(const QString& path, const QImage& image, double scale, bool isVideo)
{
    thumbnails_->add(QUrl::fromLocalFile(path), image, scale, isVideo);
}

std::vector<Cards::Reducing>::iterator Cards::findReducing(quint64 still)
{
    return std::find_if(reducing_.begin(), reducing_.end(),
                        [still](const Reducing& entry) { return entry.still == still; });
}

void Cards::addSaving(quint64 still, const QImage& image, double scale)
{
    reducing_.push_back({.still = still, .scale = scale, .reduced = std::nullopt, .savedPath = std::nullopt});
    runInBackground(
        this, [image] { return Thumbnails::thumbnail(image); },
        [this, still](QImage reducedImage) { reduced(still, std::move(reducedImage)); });
}

void Cards::reduced(quint64 still, QImage image)
{
    const auto found = findReducing(still);
    if (found == reducing_.end()) {
        return; // its save failed meanwhile
    }
    found->reduced = std::move(image);
    showReduced();
}

// Only from the front, so that a small still reduced sooner never shows ahead of an earlier one.
void Cards::showReduced()
{
    while (!reducing_.empty() && reducing_.front().reduced) {
        const Reducing ready = std::move(reducing_.front());
        reducing_.erase(reducing_.begin());
        if (ready.savedPath) {
            thumbnails_->add(QUrl::fromLocalFile(*ready.savedPath), *ready.reduced, ready.scale, false);
        } else {
            saving_[ready.still] = thumbnails_->addSaving(*ready.reduced, ready.scale);
        }
    }
}

void Cards::finishSaving(quint64 still, const QString& path)
{
    const auto waiting = findReducing(still);
    if (waiting != reducing_.end()) {
        waiting->savedPath = path;
        return;
    }
    const auto card = saving_.extract(still);
    if (!card.empty()) {
        thumbnails_->finishSaving(card.mapped(), QUrl::fromLocalFile(path));
    }
}

void Cards::removeSaving(quint64 still)
{
    const auto waiting = findReducing(still);
    if (waiting != reducing_.end()) {
        reducing_.erase(waiting);
        showReduced();
        return;
    }
    const auto card = saving_.extract(still);
    if (!card.empty()) {
        thumbnails_->remove(card.mapped());
    }
}

void Cards::edit(const ThumbnailItem& item)
{
    editor_->open(item.url, item.scale, [self = QPointer(this), id = item.id](const QImage& saved) {
        if (self) {
            self->showEdited(id, saved);
        }
    });
}

void Cards::showEdited(const QUuid& card, const QImage& saved)
{
    // Numbered across all cards, so that a number is never seen twice.
    const quint64 save = ++edits_;
    latestEdit_[card] = save;
    runInBackground(
        this, [saved] { return Thumbnails::thumbnail(saved); },
        [this, card, save](QImage reduced) {
            const auto latest = latestEdit_.find(card);
            if (latest == latestEdit_.end() || latest->second != save) {
                return; // a later save's image is on its way
            }
            latestEdit_.erase(latest);
            thumbnails_->replaceImage(card, reduced);
        });
}

} // namespace quillet
