#pragma once

#include "Quillet/thumbnails/CardNotice.hpp"
#include "Quillet/thumbnails/ThumbnailItem.hpp"
#include "core/ThumbnailExpiry.hpp"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QScreen>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace brindle {
class HotKeySystem;
class RepeatingTask;
} // namespace brindle

namespace quillet {

class CardCopyKey;
class ThumbnailPanel;

// The floating stack of cards of the latest captures: at most five, each leaving by itself two
// minutes after it was added (the clock stops while the pointer rests on the stack), or when the
// user dismisses or trashes it. Main thread only. `changed` follows every change; views re-read
// the whole model.
class Thumbnails : public QObject {
    Q_OBJECT

public:
    using Action = std::function<void(const ThumbnailItem&)>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    static constexpr int maximumItems = 5;
    static constexpr std::chrono::seconds lifetime{120};
    static constexpr std::chrono::seconds tickInterval{1};

    // `clock` supplies the time the expiry runs on; the steady clock when none is given.
    explicit Thumbnails(Clock clock = {}, QObject* parent = nullptr);
    ~Thumbnails() override;

    [[nodiscard]] const std::vector<ThumbnailItem>& items() const { return items_; }
    [[nodiscard]] bool isHovering() const { return isHovering_; }
    void setHovering(bool hovering);
    // A card being dragged into another application does not expire under the pointer either,
    // wherever the pointer is.
    [[nodiscard]] bool isDragging() const { return isDragging_; }
    void setDragging(bool dragging);

    // Opens the editor on the item's file. While none is set no card offers editing.
    void setOnEdit(Action action);
    // Replaces what the cards' Move to Trash does; by default `moveToTrash`.
    void setOnTrash(Action action);
    [[nodiscard]] bool canEdit() const { return static_cast<bool>(onEdit_); }
    void edit(const ThumbnailItem& item);
    void trash(const ThumbnailItem& item);
    // Puts the item's capture on the clipboard; while none is set, Copy does nothing.
    void setOnCopy(Action action);
    void copy(const ThumbnailItem& item);
    // The card of that item confirms a copy for a moment; nothing when it has left the stack.
    void showCopied(const QUuid& id);
    // Puts a still's text on the clipboard. While none is set, the cards offer no Copy Text.
    void setOnCopyText(Action action, std::function<QString()> unavailableReason);
    [[nodiscard]] bool offersCopyText() const { return static_cast<bool>(onCopyText_); }
    // Why Copy Text cannot run on this machine; empty when it can.
    [[nodiscard]] QString copyTextUnavailableReason() const;
    void copyText(const ThumbnailItem& item);
    // The card of that item says how an action went; nothing when it has left the stack.
    void showNotice(const QUuid& id, CardNotice notice);
    // Lets Ctrl+C copy the card under the pointer, through `keys`; without them it does nothing.
    void setCopyKeys(std::unique_ptr<brindle::HotKeySystem> keys);
    // The pointer came onto or left a card, as the cards tell it.
    void setCardHovered(const QUuid& id, bool hovered);

    // Moves the item's file to the desktop's Trash and then drops its card. A file that cannot be
    // trashed stays where it is, and so does its card; the failure is logged and signalled with a
    // beep. Returns whether the file went.
    bool moveToTrash(const ThumbnailItem& item);

    // `image` is the full capture; the card shows a reduced copy.
    void add(const QUrl& url, const QImage& image, double scale, bool isVideo);
    // A card for a still whose file is still being written, shown at once from the captured pixels;
    // it offers only Dismiss until `finishSaving`. Returns the card's id.
    QUuid addSaving(const QImage& image, double scale);
    // The file is complete: the card takes its address and offers everything. Nothing happens when
    // the card has left the stack meanwhile. A save that failed removes the card instead.
    void finishSaving(const QUuid& id, const QUrl& url);
    // Drops the card; the file stays.
    void remove(QUuid id);
    // Shows a reduced copy of `image` on the card of that item, which keeps its place and its
    // clock. Nothing happens when the item has left the stack meanwhile.
    void replaceImage(const QUuid& id, const QImage& image);

    // The image a card shows: `image` reduced to at most 440 pixels on its longer side with
    // high-quality scaling, or `image` itself when it already fits.
    [[nodiscard]] static QImage thumbnail(const QImage& image);

    // Called by the ticker once a second: removes the cards whose time is up.
    void tick();

    // The panel, made by the first `add` and afterwards only hidden; null before.
    [[nodiscard]] ThumbnailPanel* panel() const { return panel_.get(); }
    // The screen the pointer was on at the latest `add`.
    [[nodiscard]] QScreen* anchorScreen() const { return anchorScreen_; }
    [[nodiscard]] bool isTicking() const { return ticker_ != nullptr; }

signals:
    void changed();
    void noticed(const QUuid& id, CardNotice notice);

private:
    struct UuidHash {
        [[nodiscard]] std::size_t operator()(const QUuid& id) const { return qHash(id); }
    };

    [[nodiscard]] std::chrono::steady_clock::time_point now() const;
    bool drop(QUuid id);
    void insert(const ThumbnailItem& item);
    void anchorTo(QScreen* screen);
    void followScreen();
    void layoutPanel();
    void startTicker();
    void stopTicker();

    Clock clock_;
    std::vector<ThumbnailItem> items_;
    bool isHovering_ = false;
    bool isDragging_ = false;
    Action onEdit_;
    Action onTrash_;
    Action onCopy_;
    Action onCopyText_;
    std::function<QString()> copyTextUnavailable_;
    std::unique_ptr<CardCopyKey> copyKey_;
    ThumbnailExpiry<QUuid, UuidHash> expiry_;
    std::unique_ptr<brindle::RepeatingTask> ticker_;
    std::unique_ptr<ThumbnailPanel> panel_;
    QPointer<QScreen> anchorScreen_;
};

} // namespace quillet
