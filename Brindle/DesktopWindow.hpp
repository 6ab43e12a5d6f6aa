#pragma once

class QRegion;
class QWindow;

namespace brindle {

// Window-manager hints and X shapes that Qt does not expose, for floating panels that behave like
// system overlays. Every call does nothing (or answers the neutral value) off X11.
class DesktopWindow {
public:
    // True while a compositing manager runs on the X screen, so per-pixel translucency shows; also
    // true on platforms that always composite or render offscreen.
    [[nodiscard]] static bool hasCompositing();

    // Asks the window manager to show the window on every workspace and to keep it out of task
    // bars and pagers. Call after the native window exists; works before and after mapping.
    static void showOnAllDesktops(QWindow& window);

    // Limits where the window receives pointer input to `region` (device-independent pixels of the
    // window), leaving the rest click-through. An empty region restores input everywhere.
    static void setInputRegion(QWindow& window, const QRegion& region);

    // Asks compositors that read the property (picom and its forebears) to draw no shadow around
    // the window: an overlay the size of a screen would cast it onto the screen next to it.
    static void castNoShadow(QWindow& window);
};

} // namespace brindle
