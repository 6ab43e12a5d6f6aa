#pragma once

#include "Quillet/thumbnails/CardNotice.hpp"
#include "Quillet/thumbnails/ThumbnailItem.hpp"

#include <QPainterPath>
#include <QPoint>
#include <QWidget>

#include <optional>

namespace quillet {

class CircleButton;
class Thumbnails;
class ThumbnailEditButton;

// One capture in the stack: its image on a dark rounded card. Hovering shows the controls
// (Dismiss, Move to Trash, Edit or the play symbol, the drag hint); the card can be dragged into
// another application as the file, a double click opens the file, and a right click opens the card's
// menu (copy and the rest). A copy is confirmed by "Copied" on the card for a moment, and reading its
// text shows "Reading text…" until the outcome. While the file
// is still being written the card shows the capture under "Saving…" and offers only Dismiss.
class ThumbnailCard : public QWidget {
    Q_OBJECT

public:
    static constexpr QSize size{220, 138};
    static constexpr qreal cornerRadius = 10;
    static constexpr int dragPreviewWidth = 160;
    static constexpr int copiedMilliseconds = 1200;

    ThumbnailCard(Thumbnails& model, ThumbnailItem item, QWidget* parent = nullptr);

    [[nodiscard]] const ThumbnailItem& item() const { return item_; }
    // Takes the item's current state (a replaced image) and the model's (whether editing exists).
    void setItem(const ThumbnailItem& item);

    // How far the card has gone on its way in or out: 0 in place, 1 gone. A moving card shows
    // no controls and takes no input.
    void setTransition(qreal transition);
    [[nodiscard]] qreal transition() const { return transition_; }
    [[nodiscard]] bool isHovering() const { return hovering_; }
    [[nodiscard]] bool isShowingCopied() const { return notice_ == CardNotice::copied; }
    [[nodiscard]] std::optional<CardNotice> notice() const { return notice_; }

    // The card's outline in its own coordinates.
    [[nodiscard]] static QPainterPath shape(const QRectF& bounds);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void setHovering(bool hovering);
    void updateControls();
    void startDrag();
    void paintImage(QPainter& painter) const;
    void paintHoverLayer(QPainter& painter) const;
    void paintCentredCaption(QPainter& painter, const QString& caption) const;
    void showNotice(const QUuid& id, CardNotice notice);
    void paintVideoBadge(QPainter& painter) const;

    Thumbnails& model_;
    ThumbnailItem item_;
    bool hovering_ = false;
    qreal transition_ = 0;
    QPoint pressPosition_;
    bool isPressed_ = false;
    std::optional<CardNotice> notice_;
    int notices_ = 0; // counts notices, so that only the latest one's timer takes it down
    CircleButton* dismissButton_;
    CircleButton* trashButton_;
    ThumbnailEditButton* editButton_ = nullptr;
};

} // namespace quillet
