#include "Quillet/thumbnails/ThumbnailCard.hpp"

#include "Brindle/Symbol.hpp"
#include "Brindle/SystemFont.hpp"
#include "Quillet/thumbnails/CircleButton.hpp"
#include "Quillet/thumbnails/ThumbnailEditButton.hpp"
#include "Quillet/thumbnails/ThumbnailMenu.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDrag>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QTimer>

namespace quillet {
namespace {

const QColor cardBackground = QColor::fromRgbF(0.12f, 0.12f, 0.12f);
const QColor hoverLayer(0, 0, 0, qRound(0.45 * 255));
const QColor borderColor(255, 255, 255, qRound(0.25 * 255));
const QColor badgeColor(0, 0, 0, qRound(0.55 * 255));
const QColor captionColor(255, 255, 255, qRound(0.85 * 255));

constexpr qreal controlsMargin = 8;
constexpr qreal captionPoints = 10.5;
constexpr qreal playPoints = 30;
constexpr qreal badgePoints = 10;
constexpr qreal badgePadding = 6;
constexpr qreal badgeInset = 6;

[[nodiscard]] QString dragCaption()
{
    return QObject::tr("Drag to any app");
}

[[nodiscard]] QString savingCaption()
{
    return QObject::tr("Saving…");
}

[[nodiscard]] QString fileName(const QUrl& url)
{
    return url.isLocalFile() ? QFileInfo(url.toLocalFile()).fileName() : url.fileName();
}

// The image fitted inside `frame` with its aspect ratio kept, centred.
[[nodiscard]] QRectF fitted(const QSizeF& image, const QRectF& frame)
{
    if (image.isEmpty()) {
        return {};
    }
    const QSizeF size = image.scaled(frame.size(), Qt::KeepAspectRatio);
    return {frame.center() - QPointF(size.width() / 2, size.height() / 2), size};
}

} // namespace

ThumbnailCard::ThumbnailCard(Thumbnails& model, ThumbnailItem item, QWidget* parent)
    : QWidget(parent), model_(model), item_(std::move(item)),
      dismissButton_(new CircleButton(
          "xmark", tr("Dismiss"), [this] { model_.remove(item_.id); }, this)),
      trashButton_(new CircleButton(
          "trash", tr("Move to Trash"), [this] { model_.trash(item_); }, this))
{
    setFixedSize(size);
    setAttribute(Qt::WA_Hover);
    dismissButton_->move(qRound(controlsMargin), qRound(controlsMargin));
    trashButton_->move(size.width() - qRound(controlsMargin) - CircleButton::diameter,
                       qRound(controlsMargin));
    connect(&model_, &Thumbnails::noticed, this, &ThumbnailCard::showNotice);
    updateControls();
}

void ThumbnailCard::setItem(const ThumbnailItem& item)
{
    const bool imageChanged = !(item == item_);
    item_ = item;
    updateControls();
    if (imageChanged) {
        update();
    }
}

void ThumbnailCard::setTransition(qreal transition)
{
    transition_ = std::clamp(transition, 0.0, 1.0);
    setAttribute(Qt::WA_TransparentForMouseEvents, transition_ > 0);
    updateControls();
    update();
}

QPainterPath ThumbnailCard::shape(const QRectF& bounds)
{
    QPainterPath path;
    path.addRoundedRect(bounds, cornerRadius, cornerRadius);
    return path;
}

void ThumbnailCard::updateControls()
{
    setToolTip(item_.isSaving ? savingCaption() : fileName(item_.url));
    // The confirmation of a copy has the card's middle to itself while it shows.
    const bool showsControls = hovering_ && transition_ == 0 && !notice_;
    dismissButton_->setVisible(showsControls);
    // Until the file is complete there is nothing to trash, edit, drag or open.
    trashButton_->setVisible(showsControls && !item_.isSaving);

    // Editing is offered only once something can edit; a button that does nothing is never shown.
    const bool offersEdit = !item_.isVideo && !item_.isSaving && model_.canEdit();
    if (offersEdit && !editButton_) {
        editButton_ = new ThumbnailEditButton([this] { model_.edit(item_); }, this);
        const QSize hint = editButton_->sizeHint();
        editButton_->setGeometry(
            QRect(QPoint((size.width() - hint.width()) / 2, (size.height() - hint.height()) / 2), hint));
    } else if (!offersEdit && editButton_) {
        delete editButton_;
        editButton_ = nullptr;
    }
    if (editButton_) {
        editButton_->setVisible(showsControls);
    }
}

void ThumbnailCard::setHovering(bool hovering)
{
    if (hovering_ == hovering) {
        return;
    }
    hovering_ = hovering;
    model_.setCardHovered(item_.id, hovering);
    updateControls();
    update();
}

void ThumbnailCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                           QPainter::TextAntialiasing);
    painter.setOpacity(1.0 - transition_);
    const QRectF bounds(rect());
    const QPainterPath outline = shape(bounds);

    painter.save();
    painter.setClipPath(outline);
    painter.fillRect(bounds, cardBackground);
    paintImage(painter);
    if (item_.isSaving) {
        paintCentredCaption(painter, savingCaption());
    } else if (notice_) {
        paintCentredCaption(painter, caption(*notice_));
    } else if (hovering_ && transition_ == 0) {
        paintHoverLayer(painter);
    } else if (item_.isVideo) {
        paintVideoBadge(painter);
    }
    painter.restore();

    // The border lies inside the outline, like a stroke of the shape's inner edge.
    painter.setPen(QPen(borderColor, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape(bounds.adjusted(0.5, 0.5, -0.5, -0.5)));
}

void ThumbnailCard::paintImage(QPainter& painter) const
{
    const QRectF target = fitted(QSizeF(item_.image.size()), QRectF(rect()));
    if (!target.isEmpty()) {
        painter.drawImage(target, item_.image);
    }
}

void ThumbnailCard::paintHoverLayer(QPainter& painter) const
{
    const QRectF bounds(rect());
    painter.fillRect(bounds, hoverLayer);
    if (item_.isVideo) {
        const qreal side = brindle::Symbol::boxSize(playPoints);
        const QRectF box(bounds.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
        brindle::Symbol::draw(painter, "play.circle.fill", box, playPoints, brindle::Symbol::Weight::regular,
                              Qt::white);
    }
    painter.setFont(brindle::SystemFont::font(captionPoints, QFont::Medium, this));
    painter.setPen(captionColor);
    const QRectF captionBox =
        bounds.adjusted(controlsMargin, controlsMargin, -controlsMargin, -controlsMargin);
    painter.drawText(captionBox, Qt::AlignHCenter | Qt::AlignBottom, dragCaption());
}

void ThumbnailCard::paintCentredCaption(QPainter& painter, const QString& caption) const
{
    const QRectF bounds(rect());
    painter.fillRect(bounds, hoverLayer);
    painter.setFont(brindle::SystemFont::font(captionPoints, QFont::Medium, this));
    painter.setPen(captionColor);
    painter.drawText(bounds, Qt::AlignCenter, caption);
}

void ThumbnailCard::showNotice(const QUuid& id, CardNotice notice)
{
    if (id != item_.id) {
        return;
    }
    notice_ = notice;
    const int serial = ++notices_;
    updateControls();
    update();
    if (lastsUntilReplaced(notice)) {
        return;
    }
    QTimer::singleShot(copiedMilliseconds, this, [this, serial] {
        if (serial != notices_) {
            return; // a later notice shows for its own full time
        }
        notice_.reset();
        updateControls();
        update();
    });
}

void ThumbnailCard::paintVideoBadge(QPainter& painter) const
{
    const qreal diameter = brindle::Symbol::boxSize(badgePoints) + 2 * badgePadding;
    const QRectF badge(badgeInset, height() - badgeInset - diameter, diameter, diameter);
    painter.setPen(Qt::NoPen);
    painter.setBrush(badgeColor);
    painter.drawEllipse(badge);
    brindle::Symbol::draw(painter, "video.fill", badge, badgePoints, brindle::Symbol::Weight::semibold,
                          Qt::white);
}

void ThumbnailCard::enterEvent(QEnterEvent* event)
{
    setHovering(true);
    QWidget::enterEvent(event);
}

void ThumbnailCard::leaveEvent(QEvent* event)
{
    setHovering(false);
    QWidget::leaveEvent(event);
}

void ThumbnailCard::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        pressPosition_ = event->position().toPoint();
        isPressed_ = true;
    }
    QWidget::mousePressEvent(event);
}

void ThumbnailCard::mouseMoveEvent(QMouseEvent* event)
{
    if (isPressed_ && !item_.isSaving && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - pressPosition_).manhattanLength() >=
            QApplication::startDragDistance()) {
        isPressed_ = false;
        startDrag();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void ThumbnailCard::mouseReleaseEvent(QMouseEvent* event)
{
    isPressed_ = false;
    QWidget::mouseReleaseEvent(event);
}

void ThumbnailCard::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        if (!item_.isSaving) {
            QDesktopServices::openUrl(item_.url);
        }
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void ThumbnailCard::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    if (item_.isSaving || transition_ > 0) {
        return;
    }
    ThumbnailMenu::popup(model_, item_, window(), event->globalPos());
}

void ThumbnailCard::startDrag()
{
    auto* data = new QMimeData;
    // A file that is gone by now is offered as nothing rather than as a dangling address.
    if (item_.url.isLocalFile() && QFileInfo::exists(item_.url.toLocalFile())) {
        data->setUrls({item_.url});
    }
    // The drag belongs to the panel, which outlives any card: a card may leave the stack while
    // the drag's own event loop runs.
    auto* drag = new QDrag(window());
    drag->setMimeData(data);

    const qreal ratio = devicePixelRatioF();
    if (!item_.image.isNull()) {
        QPixmap preview = QPixmap::fromImage(
            item_.image.scaledToWidth(qRound(dragPreviewWidth * ratio), Qt::SmoothTransformation));
        preview.setDevicePixelRatio(ratio);
        drag->setPixmap(preview);
        // Keep the preview under the pointer where the card was grabbed.
        const QSizeF previewSize = preview.deviceIndependentSize();
        drag->setHotSpot(QPoint(qRound(pressPosition_.x() * previewSize.width() / width()),
                                qRound(pressPosition_.y() * previewSize.height() / height())));
    }
    const QPointer<ThumbnailCard> self(this);
    Thumbnails& model = model_;
    model.setDragging(true);
    // Copy only: a file manager asked to move would take the capture out of its folder.
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    model.setDragging(false);
    if (self) {
        setHovering(rect().contains(mapFromGlobal(QCursor::pos())));
    }
}

} // namespace quillet
