#include "Quillet/thumbnails/Thumbnails.hpp"

#include "Brindle/RepeatingTask.hpp"
#include "Brindle/Trash.hpp"
#include "Quillet/common/CaptureLog.hpp"
#include "Quillet/thumbnails/CardCopyKey.hpp"
#include "Quillet/thumbnails/ThumbnailPanel.hpp"
#include "core/ThumbnailSize.hpp"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace quillet {
namespace {

[[nodiscard]] QScreen* screenUnderPointer()
{
    QScreen* screen = QGuiApplication::screenAt(QCursor::pos());
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

Thumbnails::Thumbnails(Clock clock, QObject* parent)
    : QObject(parent), clock_(std::move(clock)), expiry_(std::chrono::duration<double>(lifetime).count())
{
    // An unplugged monitor must not leave the cards off screen: they go to the main screen. The
    // layout waits until the screen list has settled, a new main screen included.
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this](QScreen* screen) {
        if (screen == anchorScreen_) {
            anchorTo(nullptr);
        }
        QMetaObject::invokeMethod(this, &Thumbnails::followScreen, Qt::QueuedConnection);
    });
}

Thumbnails::~Thumbnails()
{
    // The panel's views refer to this model; they go first.
    panel_.reset();
    copyKey_.reset();
}

std::chrono::steady_clock::time_point Thumbnails::now() const
{
    return clock_ ? clock_() : std::chrono::steady_clock::now();
}

void Thumbnails::setHovering(bool hovering)
{
    if (isHovering_ == hovering) {
        return;
    }
    isHovering_ = hovering;
    emit changed();
}

void Thumbnails::setDragging(bool dragging)
{
    if (isDragging_ == dragging) {
        return;
    }
    isDragging_ = dragging;
    emit changed();
}

void Thumbnails::setOnEdit(Action action)
{
    onEdit_ = std::move(action);
    emit changed();
}

void Thumbnails::setOnTrash(Action action)
{
    onTrash_ = std::move(action);
    emit changed();
}

void Thumbnails::edit(const ThumbnailItem& item)
{
    // There is no file to act on before it is complete.
    if (onEdit_ && !item.isSaving) {
        onEdit_(item);
    }
}

void Thumbnails::setOnCopy(Action action)
{
    onCopy_ = std::move(action);
}

void Thumbnails::copy(const ThumbnailItem& item)
{
    if (onCopy_ && !item.isSaving) {
        onCopy_(item);
    }
}

void Thumbnails::showCopied(const QUuid& id)
{
    showNotice(id, CardNotice::copied);
}

void Thumbnails::setOnCopyText(Action action, std::function<QString()> unavailableReason)
{
    onCopyText_ = std::move(action);
    copyTextUnavailable_ = std::move(unavailableReason);
}

QString Thumbnails::copyTextUnavailableReason() const
{
    return copyTextUnavailable_ ? copyTextUnavailable_() : QString();
}

void Thumbnails::copyText(const ThumbnailItem& item)
{
    if (onCopyText_ && !item.isSaving && !item.isVideo) {
        onCopyText_(item);
    }
}

void Thumbnails::showNotice(const QUuid& id, CardNotice notice)
{
    emit noticed(id, notice);
}

void Thumbnails::setCopyKeys(std::unique_ptr<brindle::HotKeySystem> keys)
{
    copyKey_ = std::make_unique<CardCopyKey>(std::move(keys), [this](const QUuid& id) {
        const auto item = std::find_if(items_.begin(), items_.end(),
                                       [&id](const ThumbnailItem& candidate) { return candidate.id == id; });
        if (item != items_.end()) {
            copy(*item);
        }
    });
}

void Thumbnails::setCardHovered(const QUuid& id, bool hovered)
{
    if (!copyKey_) {
        return;
    }
    // The next card may be entered before the last one is left.
    if (hovered) {
        copyKey_->setHovered(id);
    } else if (copyKey_->hovered() == id) {
        copyKey_->setHovered(std::nullopt);
    }
}

void Thumbnails::trash(const ThumbnailItem& item)
{
    if (item.isSaving) {
        return;
    }
    if (onTrash_) {
        onTrash_(item);
        return;
    }
    moveToTrash(item);
}

bool Thumbnails::moveToTrash(const ThumbnailItem& item)
{
    const QString path = item.url.toLocalFile();
    if (!brindle::Trash::moveToTrash(path)) {
        captureLog().error("could not move to Trash: %{public}s", path);
        QApplication::beep();
        return false;
    }
    remove(item.id);
    return true;
}

void Thumbnails::add(const QUrl& url, const QImage& image, double scale, bool isVideo)
{
    insert(ThumbnailItem{QUuid::createUuid(), url, thumbnail(image), scale, isVideo});
}

QUuid Thumbnails::addSaving(const QImage& image, double scale)
{
    const ThumbnailItem item{QUuid::createUuid(), QUrl(), thumbnail(image), scale, false, true};
    insert(item);
    return item.id;
}

void Thumbnails::finishSaving(const QUuid& id, const QUrl& url)
{
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&id](const ThumbnailItem& item) { return item.id == id; });
    if (found == items_.end()) {
        return;
    }
    found->url = url;
    found->isSaving = false;
    emit changed();
}

void Thumbnails::insert(const ThumbnailItem& item)
{
    anchorTo(screenUnderPointer());
    items_.push_back(item);
    expiry_.add(item.id, now());
    while (items_.size() > static_cast<std::size_t>(maximumItems)) {
        drop(items_.front().id);
    }
    if (!panel_) {
        panel_ = std::make_unique<ThumbnailPanel>(*this);
    }
    layoutPanel();
    panel_->present();
    if (!ticker_) {
        startTicker();
    }
    emit changed();
}

void Thumbnails::remove(QUuid id)
{
    if (drop(id)) {
        emit changed();
    }
}

bool Thumbnails::drop(QUuid id)
{
    const auto removed = std::erase_if(items_, [&id](const ThumbnailItem& item) { return item.id == id; });
    expiry_.remove(id);
    if (copyKey_ && copyKey_->hovered() == id) {
        copyKey_->setHovered(std::nullopt);
    }
    if (items_.empty()) {
        if (panel_) {
            panel_->hide();
        }
        stopTicker();
    } else {
        layoutPanel();
    }
    return removed > 0;
}

void Thumbnails::replaceImage(const QUuid& id, const QImage& image)
{
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&id](const ThumbnailItem& item) { return item.id == id; });
    if (found == items_.end()) {
        return;
    }
    found->image = thumbnail(image);
    emit changed();
}

void Thumbnails::tick()
{
    const bool isPaused = isHovering_ || isDragging_;
    const auto expired = expiry_.tick(now(), std::chrono::duration<double>(tickInterval).count(), isPaused);
    bool removedAny = false;
    for (const QUuid& id : expired) {
        removedAny = drop(id) || removedAny;
    }
    if (items_.empty()) {
        stopTicker();
    }
    if (removedAny) {
        emit changed();
    }
}

QImage Thumbnails::thumbnail(const QImage& image)
{
    const auto reduced =
        ThumbnailSize::scaledDown(image.width(), image.height(), ThumbnailSize::maximumPixels);
    if (!reduced) {
        return image;
    }
    // Reduced first, so that only the small copy is converted.
    QImage scaled = image
                        .scaled(static_cast<int>(reduced->width), static_cast<int>(reduced->height),
                                Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                        .convertToFormat(QImage::Format_RGBA8888_Premultiplied);
    if (scaled.isNull()) {
        return image;
    }
    // Sized in its own pixels, like the unreduced bitmap the card would otherwise show.
    scaled.setDevicePixelRatio(1.0);
    return scaled;
}

void Thumbnails::anchorTo(QScreen* screen)
{
    if (anchorScreen_ == screen) {
        return;
    }
    if (anchorScreen_) {
        disconnect(anchorScreen_, nullptr, this, nullptr);
    }
    anchorScreen_ = screen;
    if (screen) {
        // A panel or dock appearing, or a new resolution, moves the corner the cards sit in.
        connect(screen, &QScreen::availableGeometryChanged, this, &Thumbnails::followScreen);
    }
}

void Thumbnails::followScreen()
{
    if (!items_.empty()) {
        layoutPanel();
    }
}

void Thumbnails::layoutPanel()
{
    QScreen* screen = anchorScreen_ ? anchorScreen_.data() : QGuiApplication::primaryScreen();
    if (!screen || !panel_) {
        return;
    }
    panel_->placeIn(screen->availableGeometry(), static_cast<int>(items_.size()));
}

void Thumbnails::startTicker()
{
    ticker_ = std::make_unique<brindle::RepeatingTask>(
        std::chrono::duration_cast<std::chrono::milliseconds>(tickInterval),
        [model = QPointer<Thumbnails>(this)] {
            if (model) {
                model->tick();
            }
        });
}

void Thumbnails::stopTicker()
{
    if (!ticker_) {
        return;
    }
    ticker_->cancel();
    // The ticker may be the caller (a tick that emptied the stack); it is released once its own
    // call has returned.
    QMetaObject::invokeMethod(
        this, [finished = std::shared_ptr<brindle::RepeatingTask>(std::move(ticker_))] {},
        Qt::QueuedConnection);
}

} // namespace quillet
