#pragma once

#include <string>
#include <string_view>

namespace quillet {

// The variables of the process environment that say what kind of desktop session it runs in.
struct SessionEnvironment {
    std::string sessionType;    // XDG_SESSION_TYPE: "x11", "wayland", "tty", …
    std::string waylandDisplay; // WAYLAND_DISPLAY
    std::string display;        // DISPLAY
    std::string currentDesktop; // XDG_CURRENT_DESKTOP: a colon-separated list such as "ubuntu:GNOME"

    [[nodiscard]] static SessionEnvironment ofProcess();
};

// Which of the desktop portals the session's portal service offers, as learnt by asking it.
struct PortalOffer {
    bool screenCast = false;
    bool screenshot = false;
    bool globalShortcuts = false;
};

// How a still is taken, and how a shortcut reaches the program.
enum class CaptureRoute { x11, portal, none };
enum class ShortcutRoute { x11HotKeys, globalShortcutsPortal, desktopBinding };

struct DesktopRoutes {
    CaptureRoute capture = CaptureRoute::x11;
    ShortcutRoute shortcuts = ShortcutRoute::x11HotKeys;

    friend bool operator==(const DesktopRoutes&, const DesktopRoutes&) = default;
};

// The kind of graphical session and the desktop that runs it. Under Wayland, X11 clients (XWayland)
// see only each other: a root grab is black and a key grab fires only while an X11 window has focus,
// so neither route is ever tried there.
struct DesktopSession {
    enum class Kind { x11, waylandWithXWayland, waylandOnly, none };
    enum class Desktop { gnome, kde, wlroots, other };

    Kind kind = Kind::none;
    Desktop desktop = Desktop::other;

    // An explicit XDG_SESSION_TYPE of x11 wins over a WAYLAND_DISPLAY, which a nested compositor sets
    // for its own clients inside an X11 session; otherwise either marks a Wayland session.
    [[nodiscard]] static DesktopSession detect(const SessionEnvironment& environment);

    [[nodiscard]] bool isWayland() const
    {
        return kind == Kind::waylandWithXWayland || kind == Kind::waylandOnly;
    }
    // Whether the program's own windows can go through XWayland, where they may place themselves.
    [[nodiscard]] bool hasXWayland() const { return kind == Kind::waylandWithXWayland; }

    // The program this desktop's portal runs to take a screenshot, which its package does not bring
    // along: the wlroots back-end runs grim and merely refuses when it is missing. Empty elsewhere.
    [[nodiscard]] std::string_view portalScreenshotProgram() const;

    // The routes that work in this session given what its portals offer.
    [[nodiscard]] DesktopRoutes routes(const PortalOffer& offer) const;

    friend bool operator==(const DesktopSession&, const DesktopSession&) = default;
};

} // namespace quillet
