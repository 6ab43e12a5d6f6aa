#pragma once

#include "Quillet/thumbnails/ThumbnailItem.hpp"

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <vector>

namespace quillet {

class ThumbnailCard;
class Thumbnails;

// The cards of the model in a column, oldest at the top, newest at the bottom, against the
// bottom-right of the panel. Cards slide in from and out to the trailing edge while fading; the
// others glide to their new places. The pointer resting anywhere on the stack pauses expiry.
class ThumbnailStackView : public QWidget {
    Q_OBJECT

public:
    static constexpr int spacing = 10;
    static constexpr int margin = 16;
    static constexpr int animationMilliseconds = 300;

    explicit ThumbnailStackView(Thumbnails& model, QWidget* parent = nullptr);

    // Cards cast soft shadows; without a compositor they would be black, so the panel turns them
    // off there.
    void setDrawsShadows(bool drawsShadows);

    // The height the cards need right now, leaving ones included: more than the model's frame
    // while a card is sliding out above the others.
    [[nodiscard]] int requiredHeight() const;
    // The cards' outlines as they are drawn now, in this view's coordinates.
    [[nodiscard]] QRegion cardsRegion() const;
    // The column the cards occupy, gaps between them included.
    [[nodiscard]] QRect cardsColumn() const;

    [[nodiscard]] std::vector<ThumbnailCard*> cards() const;
    [[nodiscard]] bool isAnimating() const;

signals:
    // The cards moved, appeared or left: the panel's shape and height may follow.
    void shapeChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Entry {
        QPointer<ThumbnailCard> card;
        qreal bottomOffset = 0; // from the view's bottom edge to the card's, animated
        bool isLeaving = false;
    };

    void synchronize();
    void insertCard(const ThumbnailItem& item, qreal bottomOffset);
    void moveCard(ThumbnailCard* card, qreal bottomOffset);
    void removeCard(ThumbnailCard* card);
    void placeCards();
    [[nodiscard]] Entry* entryFor(const ThumbnailCard* card);
    [[nodiscard]] const QImage& shadowImage();

    Thumbnails& model_;
    std::vector<Entry> entries_;
    bool drawsShadows_ = true;
    QImage shadow_;
};

} // namespace quillet
