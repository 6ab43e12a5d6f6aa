#pragma once

#include "Brindle/KeepAbove.hpp"

#include <QAbstractNativeEventFilter>

#include <chrono>
#include <xcb/xcb.h>

namespace brindle {

// The keeper on X11, driven by the server's events over Qt's own connection: it watches the root
// window's children and, whenever their stacking changes and a managed window is mapped above the
// kept one, puts the kept window directly above the topmost such window.
//
// Only windows the manager stacks count. Another program's override-redirect window (a menu, a
// tooltip, a lock screen) that is above the kept window stays above it: such a program may keep its
// window on top by the same means, and the two would otherwise take turns forever. Placing the kept
// window just above the raised window, rather than at the very top, leaves those windows where
// they are. A restack cannot answer itself: once the kept window is above every managed window,
// its own move finds nothing to do.
class XcbKeepAbove final : public KeepAbove, private QAbstractNativeEventFilter {
public:
    explicit XcbKeepAbove(xcb_connection_t* connection);
    ~XcbKeepAbove() override;
    XcbKeepAbove(const XcbKeepAbove&) = delete;
    XcbKeepAbove& operator=(const XcbKeepAbove&) = delete;

    void keep(WId window) override;
    void release() override;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    void restackIfCovered();
    [[nodiscard]] xcb_window_t topmostManagedWindowAboveKept() const;
    [[nodiscard]] bool mayRestack();
    void watchRootChildren(bool watch);

    xcb_connection_t* connection_;
    xcb_window_t root_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    // True when the root's child events were selected here: nobody else in the program wants them,
    // so they end here too.
    bool selectedRootChildren_ = false;
    std::chrono::steady_clock::time_point burstStart_;
    int restacksInBurst_ = 0;
};

} // namespace brindle
