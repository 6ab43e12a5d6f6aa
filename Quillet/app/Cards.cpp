#include "Quillet/app/Cards.hpp"

#include <QPointer>
#include <QUrl>

namespace quillet {

Cards::Cards(std::unique_ptr<ThumbnailDisplay> thumbnails, std::unique_ptr<Editor> editor, QObject* parent)
    : QObject(parent), thumbnails_(std::move(thumbnails)), editor_(std::move(editor))
{
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

void Cards::addSaving(quint64 still, const QImage& image, double scale)
{
    saving_[still] = thumbnails_->addSaving(image, scale);
}

void Cards::finishSaving(quint64 still, const QString& path)
{
    const auto card = saving_.extract(still);
    if (!card.empty()) {
        thumbnails_->finishSaving(card.mapped(), QUrl::fromLocalFile(path));
    }
}

void Cards::removeSaving(quint64 still)
{
    const auto card = saving_.extract(still);
    if (!card.empty()) {
        thumbnails_->remove(card.mapped());
    }
}

void Cards::edit(const ThumbnailItem& item)
{
    editor_->open(item.url, item.scale, [self = QPointer(this), id = item.id](const QImage& saved) {
        if (self) {
            self->thumbnails_->replaceImage(id, saved);
        }
    });
}

} // namespace quillet
