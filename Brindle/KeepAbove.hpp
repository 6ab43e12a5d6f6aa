#pragma once

#include <QtGui/qwindowdefs.h>

#include <memory>

namespace brindle {

// Keeps a window that is outside the window manager's care (override-redirect) above the windows
// the manager stacks, for as long as it is kept. The manager knows nothing of such a window, so
// every window it raises lands above it; the keeper puts it back. Main thread only.
class KeepAbove {
public:
    virtual ~KeepAbove() = default;

    // From now on `window` goes back above any managed window put over it. A later call replaces
    // the window kept.
    virtual void keep(WId window) = 0;
    // Stops keeping; the window stays where it is.
    virtual void release() = 0;

    // The keeper of this desktop: one over the X server when there is one, one that does nothing
    // elsewhere.
    [[nodiscard]] static std::unique_ptr<KeepAbove> forThisDesktop();
};

} // namespace brindle
