#include "core/AppStatus.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

struct PrecedenceCase {
    const char* title;
    AppConditions conditions;
    AppStatus expected;
    DesktopRoutes routes{};
};

class Precedence : public ::testing::TestWithParam<PrecedenceCase> {};

TEST_P(Precedence, FirstApplyingConditionWins)
{
    EXPECT_EQ(appStatus(GetParam().conditions, GetParam().routes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    AppStatus, Precedence,
    ::testing::Values(
        PrecedenceCase{"allFine", {}, AppStatus::ready},
        PrecedenceCase{"recordingBeatsEverything",
                       {.isRecording = true,
                        .isEnabled = false,
                        .hasScreenRecording = false,
                        .conflictsWithSystemShortcuts = true,
                        .shortcutsTaken = true},
                       AppStatus::recording},
        PrecedenceCase{"pausedEvenWithoutPermission",
                       {.isEnabled = false, .hasScreenRecording = false},
                       AppStatus::paused},
        PrecedenceCase{"permissionBeforeSystemShortcuts",
                       {.hasScreenRecording = false, .conflictsWithSystemShortcuts = true},
                       AppStatus::waitingForPermission},
        PrecedenceCase{"systemShortcutsBeforeTakenOnes",
                       {.conflictsWithSystemShortcuts = true, .shortcutsTaken = true},
                       AppStatus::systemShortcutsOn},
        PrecedenceCase{"oneShortcutTaken", {.shortcutsTaken = true}, AppStatus::shortcutsTaken},
        PrecedenceCase{"pausedEvenWithoutACaptureRoute",
                       {.isEnabled = false},
                       AppStatus::paused,
                       {CaptureRoute::none, ShortcutRoute::desktopBinding}},
        PrecedenceCase{"noCaptureRouteBeforePermission",
                       {.hasScreenRecording = false},
                       AppStatus::noScreenCapture,
                       {CaptureRoute::none, ShortcutRoute::desktopBinding}},
        PrecedenceCase{"desktopBindingLeavesNoKeyToConflictOrTake",
                       {.conflictsWithSystemShortcuts = true, .shortcutsTaken = true},
                       AppStatus::bindKeysInDesktop,
                       {CaptureRoute::portal, ShortcutRoute::desktopBinding}},
        PrecedenceCase{"aPortalKeyCanBeTaken",
                       {.shortcutsTaken = true},
                       AppStatus::shortcutsTaken,
                       {CaptureRoute::portal, ShortcutRoute::globalShortcutsPortal}},
        PrecedenceCase{"aFailedCaptureBeforeTheKeys",
                       {.conflictsWithSystemShortcuts = true, .shortcutsTaken = true, .captureFailed = true},
                       AppStatus::captureFailed},
        PrecedenceCase{"aFailedCaptureSaysWhichProgramToInstall",
                       {.captureFailed = true, .screenshotProgramMissing = true},
                       AppStatus::captureFailedProgramMissing,
                       {CaptureRoute::portal, ShortcutRoute::desktopBinding}},
        PrecedenceCase{"aMissingProgramIsNoNewsUntilACaptureFails",
                       {.screenshotProgramMissing = true},
                       AppStatus::bindKeysInDesktop,
                       {CaptureRoute::portal, ShortcutRoute::desktopBinding}},
        PrecedenceCase{"aFailedCaptureBeforeTheDesktopsBinding",
                       {.captureFailed = true},
                       AppStatus::captureFailed,
                       {CaptureRoute::portal, ShortcutRoute::desktopBinding}},
        PrecedenceCase{
            "pauseBeforeAFailedCapture", {.isEnabled = false, .captureFailed = true}, AppStatus::paused},
        PrecedenceCase{"recordingBeforeAFailedCapture",
                       {.isRecording = true, .hasScreenRecording = false, .captureFailed = true},
                       AppStatus::recording},
        PrecedenceCase{"missingPermissionBeforeAFailedCapture",
                       {.hasScreenRecording = false, .captureFailed = true},
                       AppStatus::waitingForPermission},
        PrecedenceCase{"aFailedSaveBeforeTheKeys",
                       {.conflictsWithSystemShortcuts = true, .saveFailed = true},
                       AppStatus::saveFailed,
                       {CaptureRoute::portal, ShortcutRoute::desktopBinding}},
        PrecedenceCase{"aFailedCaptureIsTheNewerNewsThanAFailedSave",
                       {.captureFailed = true, .saveFailed = true},
                       AppStatus::captureFailed},
        PrecedenceCase{"anUnsavedRecordingBeforeTheKeys",
                       {.shortcutsTaken = true, .recordingNotSaved = true},
                       AppStatus::recordingNotSaved},
        PrecedenceCase{"aRefusedRecordingBeforeTheKeys",
                       {.shortcutsTaken = true, .recordingUnavailable = true},
                       AppStatus::recordingUnavailable,
                       {CaptureRoute::portal, ShortcutRoute::desktopBinding}},
        PrecedenceCase{"recordingAgainHidesTheUnsavedOne",
                       {.isRecording = true, .recordingNotSaved = true},
                       AppStatus::recording},
        PrecedenceCase{"pauseBeforeAFailedSave", {.isEnabled = false, .saveFailed = true}, AppStatus::paused},
        PrecedenceCase{"bothThroughThePortals",
                       {},
                       AppStatus::readyThroughPortals,
                       {CaptureRoute::portal, ShortcutRoute::globalShortcutsPortal}}),
    [](const auto& info) { return info.param.title; });

struct PresentationCase {
    AppStatus status;
    const char* symbol;
    const char* text;
    SystemColor color;
};

class Presentation : public ::testing::TestWithParam<PresentationCase> {};

TEST_P(Presentation, ShowsTheStatusSymbolTextAndColour)
{
    const PresentationCase& c = GetParam();
    EXPECT_EQ(menuBarSymbol(c.status), c.symbol);
    EXPECT_EQ(statusText(c.status), c.text);
    EXPECT_EQ(statusColor(c.status), c.color);
}

INSTANTIATE_TEST_SUITE_P(
    AppStatus, Presentation,
    ::testing::Values(PresentationCase{AppStatus::recording, "stop.circle.fill", "Recording",
                                       SystemColor::red},
                      PresentationCase{AppStatus::paused, "camera", "Shortcuts paused", SystemColor::gray},
                      PresentationCase{AppStatus::waitingForPermission, "exclamationmark.triangle.fill",
                                       "Waiting for permission", SystemColor::orange},
                      PresentationCase{AppStatus::captureFailed, "exclamationmark.triangle.fill",
                                       "Capture failed \u00B7 see the log", SystemColor::red},
                      PresentationCase{AppStatus::captureFailedProgramMissing, "exclamationmark.triangle.fill",
                                       "Capture failed \u00B7 install grim", SystemColor::red},
                      PresentationCase{AppStatus::recordingNotSaved, "exclamationmark.triangle.fill",
                                       "Recording not saved \u00B7 see the log", SystemColor::red},
                      PresentationCase{AppStatus::saveFailed, "exclamationmark.triangle.fill",
                                       "Save failed \u00B7 see the log", SystemColor::red},
                      PresentationCase{AppStatus::systemShortcutsOn, "camera.viewfinder",
                                       "The desktop is using the shortcuts", SystemColor::orange},
                      PresentationCase{AppStatus::shortcutsTaken, "camera.viewfinder",
                                       "Ready \u00B7 saves WebP and MP4", SystemColor::orange},
                      PresentationCase{AppStatus::ready, "camera.viewfinder",
                                       "Ready \u00B7 saves WebP and MP4", SystemColor::green}));

} // namespace
} // namespace quillet
