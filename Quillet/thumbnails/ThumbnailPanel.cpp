#include "Quillet/thumbnails/ThumbnailPanel.hpp"

#include "Brindle/DesktopWindow.hpp"
#include "Brindle/KeepAbove.hpp"
#include "Quillet/thumbnails/ThumbnailCard.hpp"
#include "Quillet/thumbnails/ThumbnailStackView.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"

#include <QWindow>

#include <algorithm>

namespace quillet {
namespace {

// Behind the cards' rounded corners when the window is cut to their outlines: the card colour, so
// the anti-aliased edge pixels blend into the card instead of into black.
const QColor opaqueBackground = QColor::fromRgbF(0.12f, 0.12f, 0.12f);

constexpr int panelWidth = ThumbnailCard::size.width() + 2 * ThumbnailStackView::margin;

// Outside the window manager's care (override-redirect): a manager would wrap the window in a frame
// of its own, and a shadow-casting compositor could draw a shadow around that frame which stays on
// screen as a grey band after the cards hide. The hints still say what the window is for.
constexpr Qt::WindowFlags panelFlags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                       Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint |
                                       Qt::X11BypassWindowManagerHint;

} // namespace

ThumbnailPanel::ThumbnailPanel(Thumbnails& model)
    : QWidget(nullptr, panelFlags), model_(model), stackView_(new ThumbnailStackView(model, this)),
      keepAbove_(brindle::KeepAbove::forThisDesktop())
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Tooltips of an inactive program's windows show only with this.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(tr("Quillet Thumbnails"));
    configureWindow(brindle::DesktopWindow::hasCompositing());
    connect(stackView_, &ThumbnailStackView::shapeChanged, this, [this] {
        applyGeometry();
        updateShape();
    });
}

ThumbnailPanel::~ThumbnailPanel() = default;

void ThumbnailPanel::configureWindow(bool translucent)
{
    isTranslucent_ = translucent;
    setAttribute(Qt::WA_TranslucentBackground, translucent);
    setAttribute(Qt::WA_NoSystemBackground, translucent);
    setAutoFillBackground(!translucent);
    if (!translucent) {
        QPalette colours = palette();
        colours.setColor(QPalette::Window, opaqueBackground);
        setPalette(colours);
    }
    stackView_->setDrawsShadows(translucent);
}

void ThumbnailPanel::setFrame(const QRect& frame)
{
    frame_ = frame;
    applyGeometry();
}

void ThumbnailPanel::applyGeometry()
{
    if (frame_.isNull()) {
        return;
    }
    const int height = std::max(frame_.height(), stackView_->requiredHeight());
    const QRect wanted(frame_.left(), frame_.bottom() + 1 - height, frame_.width(), height);
    if (geometry() != wanted) {
        setGeometry(wanted);
    }
}

void ThumbnailPanel::present()
{
    // A compositor may have started or stopped since the window was made; translucency is fixed
    // when the native window is created, so the window is made again to match.
    const bool compositing = brindle::DesktopWindow::hasCompositing();
    if (compositing != isTranslucent_ && testAttribute(Qt::WA_WState_Created)) {
        hide();
        destroy();
        configureWindow(compositing);
    }
    if (!isVisible()) {
        create();
        brindle::DesktopWindow::showOnAllDesktops(*windowHandle());
    }
    applyGeometry();
    show();
    raise();
    keepAbove_->keep(winId());
    updateShape();
}

void ThumbnailPanel::updateShape()
{
    if (!isVisible() || !windowHandle()) {
        return;
    }
    if (isTranslucent_) {
        // Transparent margins pass clicks through to the windows below.
        const QRect column = stackView_->cardsColumn();
        brindle::DesktopWindow::setInputRegion(*windowHandle(),
                                               column.isEmpty() ? QRegion(rect()) : QRegion(column));
        return;
    }
    const QRegion cards = stackView_->cardsRegion();
    if (!cards.isEmpty()) {
        setMask(cards);
    }
}

void ThumbnailPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    stackView_->setGeometry(rect());
}

void ThumbnailPanel::hideEvent(QHideEvent* event)
{
    // A hidden stack is no longer under the pointer, whatever the last crossing said.
    model_.setHovering(false);
    keepAbove_->release();
    QWidget::hideEvent(event);
}

QRect ThumbnailPanel::frameFor(const QRect& available, int count)
{
    const int cards = std::max(count, 0);
    const int height = cards * ThumbnailCard::size.height() +
                       std::max(cards - 1, 0) * ThumbnailStackView::spacing + 2 * ThumbnailStackView::margin;
    return {available.right() + 1 - panelWidth, available.bottom() + 1 - height, panelWidth, height};
}

} // namespace quillet
