#pragma once

#include "core/DesktopSession.hpp"
#include "core/SystemColor.hpp"

#include <string_view>

namespace quillet {

// Whether a capture shortcut works right now and, if not, why. Cases in order of precedence: the first
// whose condition holds wins.
// The Wayland cases say what the desktop gives instead of the X11 routes: no capture at all, keys the
// user binds in the desktop's settings, or capture and shortcuts through the desktop's portals.
enum class AppStatus {
    recording,
    paused,
    noScreenCapture,
    waitingForPermission,
    captureFailed,
    captureFailedProgramMissing,
    saveFailed,
    recordingNotSaved,
    recordingUnavailable,
    bindKeysInDesktop,
    systemShortcutsOn,
    shortcutsTaken,
    readyThroughPortals,
    ready
};

// What the status is computed from.
struct AppConditions {
    bool isRecording = false;
    // The master switch of the global shortcuts.
    bool isEnabled = true;
    bool hasScreenRecording = true;
    bool conflictsWithSystemShortcuts = false;
    // At least one capture shortcut could not be registered.
    bool shortcutsTaken = false;
    // The latest still failed on every route (not cancelled), and none has succeeded since.
    bool captureFailed = false;
    // The desktop's portal takes its screenshots by running a program that is not installed, so a
    // failed capture has a cause the user can mend.
    bool screenshotProgramMissing = false;
    // The latest still that was captured could not be written, and none has been written since.
    bool saveFailed = false;
    // The latest recording stopped without becoming a movie in the folder (kept for the next start,
    // or lost), and none has been saved since.
    bool recordingNotSaved = false;
    // The latest recording could not start because the desktop gave no screen to record (its screen
    // cast refused or failed), and none has started since.
    bool recordingUnavailable = false;
};

// `routes`: how this session lets the program capture and receive its shortcuts.
[[nodiscard]] AppStatus appStatus(const AppConditions& conditions, const DesktopRoutes& routes = {});

// The symbol name of the menu-bar icon.
[[nodiscard]] std::string_view menuBarSymbol(AppStatus status);

// The status line of the menu header (a localizable key, which is also the English text).
[[nodiscard]] std::string_view statusText(AppStatus status);

[[nodiscard]] SystemColor statusColor(AppStatus status);

} // namespace quillet
