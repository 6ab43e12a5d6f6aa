#include "Quillet/thumbnails/ThumbnailStackView.hpp"

#include "Quillet/common/AlphaBlur.hpp"
#include "Quillet/thumbnails/ThumbnailCard.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"

#include <QPainter>
#include <QVariantAnimation>

#include <algorithm>

namespace quillet {
namespace {

// A spring without overshoot settles like an ease-out curve of about its response time.
constexpr auto easing = QEasingCurve::OutCubic;

const QColor shadowColor(0, 0, 0, qRound(0.35 * 255));
constexpr qreal shadowBlurRadius = 8;
constexpr QPointF shadowOffset(0, 3);
// Blur lengths follow the drop-shadow convention: the radius is twice the deviation.
constexpr qreal shadowDeviation = shadowBlurRadius / 2;
constexpr int shadowMargin = 12;

[[nodiscard]] qreal slotOffset(int index, int count)
{
    const int below = count - 1 - index;
    return ThumbnailStackView::margin + below * (ThumbnailCard::size.height() + ThumbnailStackView::spacing);
}

const QString slideName = QStringLiteral("slide");
const QString moveName = QStringLiteral("move");

void stopAnimations(ThumbnailCard* card, const QString& name)
{
    for (auto* running : card->findChildren<QVariantAnimation*>(name)) {
        running->stop();
    }
}

[[nodiscard]] QVariantAnimation* animation(QObject* owner, qreal from, qreal to)
{
    auto* result = new QVariantAnimation(owner);
    result->setStartValue(from);
    result->setEndValue(to);
    result->setDuration(ThumbnailStackView::animationMilliseconds);
    result->setEasingCurve(easing);
    return result;
}

} // namespace

ThumbnailStackView::ThumbnailStackView(Thumbnails& model, QWidget* parent) : QWidget(parent), model_(model)
{
    setAttribute(Qt::WA_Hover);
    connect(&model_, &Thumbnails::changed, this, &ThumbnailStackView::synchronize);
    synchronize();
}

void ThumbnailStackView::setDrawsShadows(bool drawsShadows)
{
    drawsShadows_ = drawsShadows;
    update();
}

void ThumbnailStackView::synchronize()
{
    const auto& items = model_.items();
    for (auto& entry : entries_) {
        if (entry.isLeaving || !entry.card) {
            continue;
        }
        const auto found = std::find_if(items.begin(), items.end(), [&](const ThumbnailItem& item) {
            return item.id == entry.card->item().id;
        });
        if (found == items.end()) {
            removeCard(entry.card);
        } else {
            entry.card->setItem(*found);
        }
    }
    const int count = static_cast<int>(items.size());
    for (int index = 0; index < count; ++index) {
        const ThumbnailItem& item = items[static_cast<std::size_t>(index)];
        const auto present = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
            return !entry.isLeaving && entry.card && entry.card->item().id == item.id;
        });
        if (present == entries_.end()) {
            insertCard(item, slotOffset(index, count));
        } else if (present->bottomOffset != slotOffset(index, count)) {
            moveCard(present->card, slotOffset(index, count));
        }
    }
    placeCards();
}

void ThumbnailStackView::insertCard(const ThumbnailItem& item, qreal bottomOffset)
{
    auto* card = new ThumbnailCard(model_, item, this);
    card->setTransition(1);
    entries_.push_back({card, bottomOffset, false});
    card->show();
    auto* slide = animation(card, 1.0, 0.0);
    slide->setObjectName(slideName);
    connect(slide, &QVariantAnimation::valueChanged, card, [this, card](const QVariant& value) {
        card->setTransition(value.toReal());
        placeCards();
    });
    slide->start(QAbstractAnimation::DeleteWhenStopped);
}

void ThumbnailStackView::moveCard(ThumbnailCard* card, qreal bottomOffset)
{
    Entry* entry = entryFor(card);
    if (!entry) {
        return;
    }
    // A newer move replaces one still running, starting from where the card is now.
    stopAnimations(card, moveName);
    auto* glide = animation(card, entry->bottomOffset, bottomOffset);
    glide->setObjectName(moveName);
    entry->bottomOffset = bottomOffset;
    connect(glide, &QVariantAnimation::valueChanged, card, [this, card](const QVariant& value) {
        if (Entry* moving = entryFor(card)) {
            moving->bottomOffset = value.toReal();
            placeCards();
        }
    });
    glide->start(QAbstractAnimation::DeleteWhenStopped);
}

void ThumbnailStackView::removeCard(ThumbnailCard* card)
{
    Entry* entry = entryFor(card);
    if (!entry) {
        return;
    }
    entry->isLeaving = true;
    // A card leaving while it still slides in turns round where it is.
    stopAnimations(card, slideName);
    auto* slide = animation(card, card->transition(), 1.0);
    slide->setObjectName(slideName);
    connect(slide, &QVariantAnimation::valueChanged, card, [this, card](const QVariant& value) {
        card->setTransition(value.toReal());
        placeCards();
    });
    connect(slide, &QVariantAnimation::finished, this, [this, card] {
        entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                      [card](const Entry& gone) { return gone.card == card; }),
                       entries_.end());
        card->hide();
        card->deleteLater();
        placeCards();
    });
    slide->start(QAbstractAnimation::DeleteWhenStopped);
}

ThumbnailStackView::Entry* ThumbnailStackView::entryFor(const ThumbnailCard* card)
{
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [card](const Entry& entry) { return entry.card == card; });
    return found == entries_.end() ? nullptr : &*found;
}

void ThumbnailStackView::placeCards()
{
    const int slideDistance = ThumbnailCard::size.width() + margin;
    for (const auto& entry : entries_) {
        if (!entry.card) {
            continue;
        }
        const qreal x = margin + entry.card->transition() * slideDistance;
        const qreal y = height() - entry.bottomOffset - ThumbnailCard::size.height();
        entry.card->move(qRound(x), qRound(y));
    }
    update();
    emit shapeChanged();
}

int ThumbnailStackView::requiredHeight() const
{
    qreal tallest = 0;
    for (const auto& entry : entries_) {
        tallest = std::max(tallest, entry.bottomOffset + ThumbnailCard::size.height() + margin);
    }
    return qCeil(tallest);
}

QRegion ThumbnailStackView::cardsRegion() const
{
    QRegion region;
    for (const auto& entry : entries_) {
        if (!entry.card || entry.card->transition() >= 1) {
            continue;
        }
        const QPolygon outline =
            ThumbnailCard::shape(QRectF(entry.card->geometry())).toFillPolygon().toPolygon();
        region += QRegion(outline);
    }
    return region;
}

QRect ThumbnailStackView::cardsColumn() const
{
    QRect column;
    for (const auto& entry : entries_) {
        if (entry.card) {
            column |= entry.card->geometry();
        }
    }
    return column;
}

std::vector<ThumbnailCard*> ThumbnailStackView::cards() const
{
    std::vector<ThumbnailCard*> result;
    for (const auto& entry : entries_) {
        if (entry.card && !entry.isLeaving) {
            result.push_back(entry.card);
        }
    }
    return result;
}

bool ThumbnailStackView::isAnimating() const
{
    return std::any_of(entries_.begin(), entries_.end(), [](const Entry& entry) {
        if (!entry.card) {
            return false;
        }
        const auto animations = entry.card->findChildren<QVariantAnimation*>();
        return std::any_of(animations.begin(), animations.end(), [](const QVariantAnimation* running) {
            return running->state() == QAbstractAnimation::Running;
        });
    });
}

const QImage& ThumbnailStackView::shadowImage()
{
    const qreal ratio = devicePixelRatioF();
    if (!shadow_.isNull() && shadow_.devicePixelRatio() == ratio) {
        return shadow_;
    }
    const QSize logical = ThumbnailCard::size + QSize(2 * shadowMargin, 2 * shadowMargin);
    QImage coverage(logical * ratio, QImage::Format_Alpha8);
    coverage.fill(0);
    {
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(ratio, ratio);
        painter.fillPath(
            ThumbnailCard::shape(QRectF(QPointF(shadowMargin, shadowMargin), QSizeF(ThumbnailCard::size))),
            Qt::black);
    }
    AlphaBlur::blur({coverage.bits(), static_cast<std::size_t>(coverage.sizeInBytes())}, coverage.width(),
                    coverage.height(), static_cast<int>(coverage.bytesPerLine()), shadowDeviation * ratio);

    shadow_ = QImage(coverage.size(), QImage::Format_ARGB32_Premultiplied);
    shadow_.fill(Qt::transparent);
    QPainter tint(&shadow_);
    tint.drawImage(0, 0, coverage);
    tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
    tint.fillRect(shadow_.rect(), shadowColor);
    tint.end();
    shadow_.setDevicePixelRatio(ratio);
    return shadow_;
}

void ThumbnailStackView::paintEvent(QPaintEvent*)
{
    if (!drawsShadows_) {
        return;
    }
    QPainter painter(this);
    const QImage& shadow = shadowImage();
    for (const auto& entry : entries_) {
        if (!entry.card) {
            continue;
        }
        painter.setOpacity(1.0 - entry.card->transition());
        painter.drawImage(QPointF(entry.card->pos()) + shadowOffset - QPointF(shadowMargin, shadowMargin),
                          shadow);
    }
}

void ThumbnailStackView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeCards();
}

void ThumbnailStackView::enterEvent(QEnterEvent* event)
{
    model_.setHovering(true);
    QWidget::enterEvent(event);
}

void ThumbnailStackView::leaveEvent(QEvent* event)
{
    model_.setHovering(false);
    QWidget::leaveEvent(event);
}

} // namespace quillet
