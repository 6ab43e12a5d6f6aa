#include "core/AppStatus.hpp"

namespace quillet {

AppStatus appStatus(const AppConditions& conditions, const DesktopRoutes& routes)
{
    if (conditions.isRecording) {
        return AppStatus::recording;
    }
    if (!conditions.isEnabled) {
        return AppStatus::paused;
    }
    if (routes.capture == CaptureRoute::none) {
        return AppStatus::noScreenCapture;
    }
    if (!conditions.hasScreenRecording) {
        return AppStatus::waitingForPermission;
    }
    // Whatever the keys do, the user's last press gave no file: that is the news.
    if (conditions.captureFailed) {
        return conditions.screenshotProgramMissing ? AppStatus::captureFailedProgramMissing
                                                   : AppStatus::captureFailed;
    }
    // Every capture is lost until the folder takes files again, which no key setting can mend.
    if (conditions.saveFailed) {
        return AppStatus::saveFailed;
    }
    if (conditions.recordingNotSaved) {
        return AppStatus::recordingNotSaved;
    }
    if (conditions.recordingUnavailable) {
        return AppStatus::recordingUnavailable;
    }
    // The desktop's own bindings replace the program's keys, so none of them can conflict or be taken.
    if (routes.shortcuts == ShortcutRoute::desktopBinding) {
        return AppStatus::bindKeysInDesktop;
    }
    if (conditions.conflictsWithSystemShortcuts) {
        return AppStatus::systemShortcutsOn;
    }
    if (conditions.shortcutsTaken) {
        return AppStatus::shortcutsTaken;
    }
    return routes.shortcuts == ShortcutRoute::globalShortcutsPortal ? AppStatus::readyThroughPortals
                                                                    : AppStatus::ready;
}

std::string_view menuBarSymbol(AppStatus status)
{
    switch (status) {
    case AppStatus::recording:
        return "stop.circle.fill";
    case AppStatus::paused:
        return "camera";
    case AppStatus::noScreenCapture:
    case AppStatus::waitingForPermission:
    case AppStatus::captureFailed:
    case AppStatus::captureFailedProgramMissing:
    case AppStatus::saveFailed:
    case AppStatus::recordingNotSaved:
    case AppStatus::recordingUnavailable:
        return "exclamationmark.triangle.fill";
    case AppStatus::bindKeysInDesktop:
    case AppStatus::readyThroughPortals:
    case AppStatus::systemShortcutsOn:
    case AppStatus::shortcutsTaken:
    case AppStatus::ready:
        return "camera.viewfinder";
    }
    return "camera.viewfinder";
}

std::string_view statusText(AppStatus status)
{
    switch (status) {
    case AppStatus::recording:
        return "Recording";
    case AppStatus::paused:
        return "Shortcuts paused";
    case AppStatus::noScreenCapture:
        return "No screen capture portal";
    case AppStatus::waitingForPermission:
        return "Waiting for permission";
    case AppStatus::captureFailed:
        // The reason is one log line; the header has room only to say where it is.
        return "Capture failed \u00B7 see the log";
    case AppStatus::captureFailedProgramMissing:
        // The wlroots portal is the one that runs a program of its own for a screenshot.
        return "Capture failed \u00B7 install grim";
    case AppStatus::saveFailed:
        // The folder's fault (missing, unwritable, full) is in the log line with the path.
        return "Save failed \u00B7 see the log";
    case AppStatus::recordingNotSaved:
        // Where the movie waits (kept for the next start, or the reason it is lost) is in the log.
        return "Recording not saved \u00B7 see the log";
    case AppStatus::recordingUnavailable:
        // The desktop's refusal (no screen cast without a GPU, for one) is in the log.
        return "Recording unavailable here \u00B7 see the log";
    case AppStatus::bindKeysInDesktop:
        // The line is short: the README and --help tell the whole binding.
        return "Ready \u00B7 bind quillet --action";
    case AppStatus::readyThroughPortals:
        return "Ready \u00B7 through the portals";
    case AppStatus::systemShortcutsOn:
        // On Linux the screenshot keys belong to the desktop environment, not to the operating system.
        return "The desktop is using the shortcuts";
    case AppStatus::shortcutsTaken:
    case AppStatus::ready:
        // A taken shortcut is flagged on its own row; the header differs from ready only by colour.
        return "Ready \u00B7 saves WebP and MP4";
    }
    return "";
}

SystemColor statusColor(AppStatus status)
{
    switch (status) {
    case AppStatus::recording:
        return SystemColor::red;
    case AppStatus::paused:
        return SystemColor::gray;
    case AppStatus::noScreenCapture:
    case AppStatus::captureFailed:
    case AppStatus::captureFailedProgramMissing:
    case AppStatus::saveFailed:
    case AppStatus::recordingNotSaved:
    case AppStatus::recordingUnavailable:
        return SystemColor::red;
    case AppStatus::waitingForPermission:
    case AppStatus::bindKeysInDesktop:
    case AppStatus::systemShortcutsOn:
    case AppStatus::shortcutsTaken:
        return SystemColor::orange;
    case AppStatus::readyThroughPortals:
    case AppStatus::ready:
        return SystemColor::green;
    }
    return SystemColor::gray;
}

} // namespace quillet
