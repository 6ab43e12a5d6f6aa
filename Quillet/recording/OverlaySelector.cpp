#include "Quillet/recording/OverlaySelector.hpp"

#include "Brindle/DesktopWindow.hpp"
#include "Brindle/ScreenPicture.hpp"
#include "Quillet/common/ScreenGeometry.hpp"
#include "Quillet/recording/Microphones.hpp"
#include "Quillet/recording/SelectionGeometry.hpp"
#include "Quillet/recording/SelectionPills.hpp"
#include "Quillet/recording/SelectionView.hpp"
#include "core/MicrophoneMenu.hpp"

#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace quillet {
namespace {

using namespace std::chrono_literals;

// The shortcut that opened the selector may still hold the keyboard until its keys are released.
constexpr auto grabRetryInterval = 20ms;
constexpr int grabAttempts = 100;
// The menu opens this far above the microphone pill.
constexpr qreal menuAbovePill = 4;

OverlaySelector::Platform withDefaults(OverlaySelector::Platform platform)
{
    if (!platform.audioAuthorization) {
        platform.audioAuthorization = [] { return AudioAuthorization::authorized; };
    }
    if (!platform.beep) {
        platform.beep = &QApplication::beep;
    }
    if (!platform.hasCompositing) {
        platform.hasCompositing = &brindle::DesktopWindow::hasCompositing;
    }
    if (!platform.pictures) {
        platform.pictures = [hasCompositing = platform.hasCompositing](const QList<QScreen*>& screens) {
            const bool isTranslucent = hasCompositing();
            std::vector<QImage> pictures;
            for (QScreen* screen : screens) {
                pictures.push_back(isTranslucent ? QImage() : brindle::ScreenPicture::take(*screen));
            }
            return pictures;
        };
    }
    return platform;
}

QRect mainGeometry()
{
    const QScreen* main = ScreenGeometry::mainScreen();
    return main ? main->geometry() : QRect();
}

} // namespace

OverlaySelector::OverlaySelector(const Microphones& microphones, Platform platform, QObject* parent)
    : QObject(parent), microphones_(microphones), platform_(withDefaults(std::move(platform)))
{
}

OverlaySelector::~OverlaySelector()
{
    if (isOpen()) {
        QApplication::restoreOverrideCursor();
    }
    delete menu_;
}

void OverlaySelector::begin(const Recorder::Options& options, Completion completion)
{
    if (isOpen()) {
        return;
    }
    options_ = options;
    completion_ = std::move(completion);
    const QList<QScreen*> screens = ScreenGeometry::screens();
    // Every screen's picture is taken before any overlay covers it.
    std::vector<QImage> pictures = platform_.pictures(screens);
    pictures.resize(std::size_t(screens.size()));
    for (qsizetype i = 0; i < screens.size(); ++i) {
        views_.push_back(
            std::make_unique<SelectionView>(screens[i], *this, std::move(pictures[std::size_t(i)])));
    }
    if (views_.empty()) {
        finish(Cancelled{});
        return;
    }
    for (const auto& view : views_) {
        view->open();
    }
    inputView_ = viewAt(QCursor::pos());
    if (inputView_ == nullptr) {
        inputView_ = views_.front().get();
    }
    QApplication::setOverrideCursor(Qt::CrossCursor);
    grabInput(grabAttempts);
}

void OverlaySelector::grabInput(int attemptsLeft)
{
    if (!inputView_ || !isOpen()) {
        return;
    }
    inputView_->activateWindow();
    inputView_->setFocus();
    if (!platform_.canGrabInput) {
        return;
    }
    QWindow* window = inputView_->windowHandle();
    const bool hasKeyboard = window->setKeyboardGrabEnabled(true);
    const bool hasPointer = window->setMouseGrabEnabled(true);
    if ((hasKeyboard && hasPointer) || attemptsLeft <= 0) {
        return;
    }
    QTimer::singleShot(grabRetryInterval, this, [this, attemptsLeft] { grabInput(attemptsLeft - 1); });
}

std::vector<SelectionView*> OverlaySelector::views() const
{
    std::vector<SelectionView*> result;
    for (const auto& view : views_) {
        result.push_back(view.get());
    }
    return result;
}

SelectionView* OverlaySelector::viewAt(QPointF global) const
{
    for (const auto& view : views_) {
        if (QRectF(view->geometry()).contains(global)) {
            return view.get();
        }
    }
    return nullptr;
}

std::optional<QRect> OverlaySelector::selectionOn(const SelectionView* view) const
{
    if (!drag_ || drag_->view != view) {
        return std::nullopt;
    }
    return SelectionGeometry::shownArea(drag_->start, drag_->current);
}

QString OverlaySelector::microphoneName() const
{
    const auto device = microphones_.resolve(options_.microphoneID);
    return device ? device->name : microphones_.defaultName();
}

bool OverlaySelector::isMicrophoneBlocked() const
{
    switch (platform_.audioAuthorization()) {
    case AudioAuthorization::denied:
    case AudioAuthorization::restricted:
        return true;
    case AudioAuthorization::notDetermined:
    case AudioAuthorization::authorized:
        return false;
    }
    return false;
}

void OverlaySelector::pressed(QPointF global)
{
    SelectionView* view = viewAt(global);
    if (view == nullptr || drag_) {
        return;
    }
    const QPointF local = global - view->geometry().topLeft();
    if (view->microphonePill().contains(local)) {
        const QRectF pill = view->microphonePill();
        microphoneClicked({pill.left(), pill.top() - menuAbovePill}, *view);
        return;
    }
    if (view->clicksPill().contains(local)) {
        if (!platform_.clicksUnavailable.isEmpty()) {
            return;
        }
        options_.showClicks = !options_.showClicks;
        redraw();
        return;
    }
    drag_ = Drag{view, local, local};
    view->selectionChanged(std::nullopt);
}

void OverlaySelector::moved(QPointF global)
{
    if (!drag_) {
        return;
    }
    const auto before = selectionOn(drag_->view);
    drag_->current =
        SelectionGeometry::clamped(global - drag_->view->geometry().topLeft(), drag_->view->size());
    drag_->view->selectionChanged(before);
}

void OverlaySelector::released(QPointF global)
{
    if (!drag_) {
        return;
    }
    const Drag drag = *drag_;
    const QPointF end =
        SelectionGeometry::clamped(global - drag.view->geometry().topLeft(), drag.view->size());
    const QRect area = SelectionGeometry::recordedArea(drag.start, end, drag.view->size());
    finish(Record{SelectionGeometry::programRect(area, drag.view->geometry(), mainGeometry()), options_});
}

void OverlaySelector::cancel()
{
    if (isOpen()) {
        finish(Cancelled{});
    }
}

void OverlaySelector::microphoneClicked(QPointF local, SelectionView& view)
{
    const auto devices = microphones_.available();
    if (devices.size() >= 2) {
        showMicrophoneMenu(local, view);
        return;
    }
    if (options_.microphone) {
        options_.microphone = false;
        redraw();
        return;
    }
    microphoneChosen(devices.empty() ? std::nullopt : std::optional<QString>(devices.front().id));
}

void OverlaySelector::microphoneChosen(const std::optional<QString>& id)
{
    switch (platform_.audioAuthorization()) {
    case AudioAuthorization::notDetermined:
        finish(NeedsMicrophonePermission{{true, id, options_.showClicks}});
        return;
    case AudioAuthorization::authorized:
        options_ = {true, id, options_.showClicks};
        redraw();
        return;
    case AudioAuthorization::restricted:
    case AudioAuthorization::denied:
        platform_.beep();
        redraw();
        return;
    }
}

void OverlaySelector::showMicrophoneMenu(QPointF local, SelectionView& view)
{
    delete menu_;
    menu_ = new QMenu();
    menu_->setAttribute(Qt::WA_DeleteOnClose);
    const QPointer self(this);
    QAction* none = menu_->addAction(SelectionPills::noMicrophone(), [self] {
        if (self) {
            self->options_.microphone = false;
            self->redraw();
        }
    });
    none->setCheckable(true);
    none->setChecked(!options_.microphone);
    menu_->addSeparator();

    const auto devices = microphones_.available();
    std::vector<std::string> ids;
    for (const auto& device : devices) {
        ids.push_back(device.id.toStdString());
    }
    const std::optional<std::string> chosen =
        options_.microphoneID ? std::optional<std::string>(options_.microphoneID->toStdString())
                              : std::nullopt;
    const auto checked = MicrophoneMenu::checkedID(options_.microphone, chosen, ids);
    for (const auto& device : devices) {
        QAction* item = menu_->addAction(device.name, [self, id = device.id] {
            if (self) {
                self->microphoneChosen(id);
            }
        });
        item->setCheckable(true);
        item->setChecked(checked && *checked == device.id.toStdString());
    }
    // The menu takes the grab while it is open; the overlay takes it back afterwards.
    connect(menu_, &QMenu::aboutToHide, this, [self] {
        QTimer::singleShot(0, self, [self] {
            if (self) {
                self->grabInput(grabAttempts);
            }
        });
    });
    menu_->popup(view.mapToGlobal(local.toPoint()));
}

void OverlaySelector::redraw()
{
    for (const auto& view : views_) {
        view->update();
    }
}

void OverlaySelector::finish(const Result& result)
{
    if (menu_) {
        menu_->close();
    }
    if (isOpen()) {
        QApplication::restoreOverrideCursor();
    }
    drag_.reset();
    for (auto& view : views_) {
        view->releaseKeyboard();
        view->releaseMouse();
        view->hide();
        // The view may be the one whose event handler got us here.
        view.release()->deleteLater();
    }
    views_.clear();
    const Completion completion = std::exchange(completion_, nullptr);
    if (!completion) {
        return;
    }
    QTimer::singleShot(completionDelay, this, [completion, result] { completion(result); });
}

} // namespace quillet
