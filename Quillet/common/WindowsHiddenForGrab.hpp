#pragma once

#include <QList>
#include <QPointer>
#include <QWidget>

#include <chrono>

namespace quillet {

// Keeps the program's own windows (cards, the tray panel) out of a screen grab: hides every one that
// is on screen and shows them again when released. The tray pop-up stays closed: it was going away.
class WindowsHiddenForGrab {
public:
    // How long the desktop gets to repaint what the hidden windows covered before the grab.
    static constexpr std::chrono::milliseconds settleTime{120};
    // A window with this property set to true is not one of the program's own windows but stands
    // in for another program's (the test patterns): it stays in the grab.
    static constexpr const char* foreignWindowProperty = "quillet-foreign-window";

    WindowsHiddenForGrab();
    ~WindowsHiddenForGrab();
    WindowsHiddenForGrab(const WindowsHiddenForGrab&) = delete;
    WindowsHiddenForGrab& operator=(const WindowsHiddenForGrab&) = delete;

    [[nodiscard]] bool hidAny() const { return hidAny_; }

private:
    QList<QPointer<QWidget>> hidden_;
    bool hidAny_ = false;
};

} // namespace quillet
