#include "Quillet/common/WindowsHiddenForGrab.hpp"

#include <QApplication>

namespace quillet {

WindowsHiddenForGrab::WindowsHiddenForGrab()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || window->testAttribute(Qt::WA_DontShowOnScreen) ||
            window->property(foreignWindowProperty).toBool()) {
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
