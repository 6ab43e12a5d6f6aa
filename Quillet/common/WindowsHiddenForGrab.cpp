#include "Quillet/common/WindowsHiddenForGrab.hpp"

#include <QApplication>

namespace quillet {
namespace {

// The tray icon, where the tray embeds it, is a window of its own: it belongs to the desktop's panel
// (in the picture like every other tray icon), and a tray does not take it back once it was unmapped.
[[nodiscard]] bool isTrayIcon(const QWidget& window)
{
    return window.inherits("QSystemTrayIconSys");
}

// Hiding a dialog ends it as if the user had cancelled it (a folder chooser open while a key takes a
// capture would lose the user's choice), and a modal window stands for a question the user is in the
// middle of answering: both stay where they are, in the picture if they are over it.
[[nodiscard]] bool isQuestion(const QWidget& window)
{
    return window.inherits("QDialog") || window.windowModality() != Qt::NonModal;
}

} // namespace

WindowsHiddenForGrab::WindowsHiddenForGrab()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->testAttribute(Qt::WA_DontShowOnScreen) ||
            window->property(foreignWindowProperty).toBool() || isTrayIcon(*window) || isQuestion(*window)) {
            continue;
        }
        hidAny_ = true;
        window->hide();
        // A pop-up closes for good; everything else comes back after the grab.
        if (!window->windowFlags().testFlag(Qt::Popup)) {
            hidden_.append(window);
        }
    }
}

WindowsHiddenForGrab::~WindowsHiddenForGrab()
{
    for (const QPointer<QWidget>& window : hidden_) {
        if (window && window->isHidden()) {
            window->show();
        }
    }
}

} // namespace quillet
