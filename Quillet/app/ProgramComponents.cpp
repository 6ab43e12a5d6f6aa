// The one place that chooses the program's real components.
#include "Quillet/app/ProgramComponents.hpp"

#include "Brindle/AppInfo.hpp"
#include "Brindle/UserDefaults.hpp"
#include "Quillet/capture/PermissionAlertBox.hpp"
#include "Quillet/capture/PipeWireFrame.hpp"
#include "Quillet/capture/PortalCapturer.hpp"
#include "Quillet/capture/ScreenCaptureTool.hpp"
#include "Quillet/capture/UnavailableScreenRecordingPermission.hpp"
#include "Quillet/capture/X11ScreenRecordingPermission.hpp"
#include "Quillet/common/DesktopPortals.hpp"
#include "Quillet/common/ScreenCastSession.hpp"
#include "Quillet/common/TesseractRecognizer.hpp"
#include "Quillet/editor/EditorWindows.hpp"
#include "Quillet/library/WebPEncoder.hpp"
#include "Quillet/recording/CastSelector.hpp"
#include "Quillet/recording/NoRecorder.hpp"
#include "Quillet/recording/NoSelector.hpp"
#include "Quillet/recording/OverlaySelector.hpp"
#include "Quillet/recording/PortalCast.hpp"
#include "Quillet/recording/PulseMicrophones.hpp"
#include "Quillet/recording/ToolRecorder.hpp"
#include "Quillet/shell/DesktopOpener.hpp"
#include "Quillet/shell/FolderDialog.hpp"
#include "Quillet/shell/OpenFailureBox.hpp"
#include "Quillet/shell/PreviewUpdateCenter.hpp"
#include "Quillet/shell/ReminderUpdateCenter.hpp"
#include "Quillet/shortcuts/CaptureHotKeys.hpp"
#include "Quillet/shortcuts/DesktopScreenshotShortcuts.hpp"
#include "Quillet/shortcuts/NoHotKeys.hpp"
#include "Quillet/shortcuts/PortalHotKeys.hpp"
#include "Quillet/thumbnails/NoThumbnails.hpp"
#include "Quillet/thumbnails/ThumbnailStack.hpp"
#include "core/DesktopSession.hpp"

#include <QApplication>
#include <QStandardPaths>
#include <QTimer>

namespace quillet {
namespace ProgramComponents {
namespace {

// The portal service may be started on demand by the first question; it starts well within this.
constexpr std::chrono::milliseconds portalAnswerLimit{3000};

[[nodiscard]] std::unique_ptr<HotKeys> hotKeysFor(ShortcutRoute route)
{
    switch (route) {
    case ShortcutRoute::x11HotKeys:
        return std::make_unique<CaptureHotKeys>();
    case ShortcutRoute::globalShortcutsPortal:
        return std::make_unique<PortalHotKeys>(QDBusConnection::sessionBus());
    case ShortcutRoute::desktopBinding:
        return std::make_unique<NoHotKeys>();
    }
    return std::make_unique<NoHotKeys>();
}

[[nodiscard]] QString missingProgram(std::string_view program)
{
    const QString name = QString::fromLatin1(program.data(), qsizetype(program.size()));
    if (name.isEmpty() || !QStandardPaths::findExecutable(name).isEmpty()) {
        return {};
    }
    return name;
}

[[nodiscard]] std::unique_ptr<Capturer> portalCapturer(brindle::PreferenceStore& preferences,
                                                       const QString& missingScreenshotProgram)
{
    auto capturer = std::make_unique<PortalCapturer>(preferences);
    capturer->setMissingScreenshotProgram(missingScreenshotProgram);
    return capturer;
}

// The screen cast that the Wayland selector opens and the recorder records from; the stills' restore
// token spares the user a second choice of monitors.
[[nodiscard]] std::shared_ptr<PortalCast> castForRecording(brindle::PreferenceStore& preferences)
{
    auto session = std::make_unique<ScreenCastSession>(preferences, ScreenCastSession::PointerFallback::embedded,
                                                       ScreenCastSession::Limits{});
    const auto takeFrames = [](int descriptor, const std::vector<std::uint32_t>& nodes) {
        std::vector<QImage> frames;
        for (auto& picture : PipeWireFrame::take(descriptor, nodes, PortalCaptureLimits{}.frame)) {
            frames.push_back(picture.isSuccess() ? picture.value().image : QImage());
        }
        return frames;
    };
    return std::make_shared<PortalCast>(std::move(session), takeFrames);
}

// The routes X11 offers are never tried where they are known to fail: under Wayland a root grab is
// black and a key grab fires only while an X11 window has focus.
void useSessionRoutes(AppState::Components& components, brindle::PreferenceStore& preferences)
{
    const DesktopSession session = DesktopSession::detect(SessionEnvironment::ofProcess());
    const PortalOffer offer = session.isWayland() ? DesktopPortals::offer(portalAnswerLimit) : PortalOffer{};
    components.routes = session.routes(offer);
    components.missingScreenshotProgram = missingProgram(session.portalScreenshotProgram());
    components.hotKeys = hotKeysFor(components.routes.shortcuts);
    switch (components.routes.capture) {
    case CaptureRoute::x11:
        break;
    case CaptureRoute::portal:
        // The monitor is asked for once; the portal's token for it lives in the preferences.
        components.capturer = portalCapturer(preferences, components.missingScreenshotProgram);
        break;
    case CaptureRoute::none:
        components.screenRecording = std::make_unique<UnavailableScreenRecordingPermission>();
        break;
    }
    if (session.isWayland()) {
        // The desktop's screenshot keys cannot take keys the program never grabs.
        components.systemShortcutsOn = [] { return false; };
    }
}

// The desktop's opener for web pages and folders; one whose opener fails later says so in a box.
std::shared_ptr<DesktopOpener> desktopOpener()
{
    return std::make_shared<DesktopOpener>(QStringLiteral("xdg-open"), &OpenFailureBox::show);
}

} // namespace

AppState::Components completed(AppState::Components components, bool isPreview)
{
    if (isPreview || !components.makeUpdateCenter) {
        components.makeUpdateCenter = [] { return std::make_unique<PreviewUpdateCenter>(); };
    }
    if (!components.microphones) {
        components.microphones = std::make_unique<FixedMicrophones>();
    }
    if (!components.capturer) {
        components.capturer = std::make_unique<Capturer>();
    }
    if (!components.screenRecording) {
        components.screenRecording = std::make_unique<X11ScreenRecordingPermission>();
    }
    if (!components.permissionAlert) {
        components.permissionAlert = std::make_unique<PermissionAlertBox>();
    }
    if (!components.encode) {
        components.encode = &WebPEncoder::encode;
    }
    if (!components.requestAudioAccess) {
        // Linux has no audio-capture permission: granted at once, never inside the asking call.
        components.requestAudioAccess = [](std::function<void(bool)> answer) {
            QTimer::singleShot(0, qApp, [answer = std::move(answer)] { answer(true); });
        };
    }
    if (!components.now) {
        components.now = [] { return std::chrono::system_clock::now(); };
    }
    if (!components.systemShortcutsOn) {
        components.systemShortcutsOn = [desktop = std::make_shared<DesktopScreenshotShortcuts>()] {
            return desktop->anyEnabled();
        };
    }
    if (!components.beep) {
        components.beep = &QApplication::beep;
    }
    if (!components.chooseDirectory) {
        components.chooseDirectory = &FolderDialog::choose;
    }
    if (!components.openURL) {
        components.openURL = [opener = desktopOpener()](const QUrl& url) {
            if (!opener->open(url)) {
                OpenFailureBox::show(url);
            }
        };
    }
    return components;
}

AppState::Components program(brindle::PreferenceStore& preferences)
{
    AppState::Components components;
    components.makeUpdateCenter = [&preferences]() -> std::unique_ptr<UpdateCenter> {
        // The store outlives the state and its centre; the reminder only borrows it.
        const std::shared_ptr<brindle::PreferenceStore> store(&preferences, [](brindle::PreferenceStore*) {});
        return std::make_unique<ReminderUpdateCenter>(
            store, QStringLiteral("quillet"), brindle::AppInfo::version(),
            ReminderUpdateCenter::Services{
                .openURL = [opener = desktopOpener()](const QUrl& url) { return opener->open(url); },
                .beep = &QApplication::beep,
                .reportOpenFailure = &OpenFailureBox::show});
    };
    components.thumbnails = std::make_unique<ThumbnailStack>();
    components.notify = [notifications = std::make_shared<DesktopNotifications>(
                             [opener = desktopOpener()](const QUrl& url) { opener->open(url); })](
                            const DesktopNotifications::Notice& notice) { notifications->show(notice); };
    useSessionRoutes(components, preferences);
    // The sound server's inputs, owned by the state with the recorder and the selector that use them.
    components.microphones = std::make_unique<PulseMicrophones>();
    const Microphones& microphones = *components.microphones;
    auto recorder = std::make_unique<ToolRecorder>(ScreenCaptureTool::defaultProgram(), microphones);
    if (components.routes.capture == CaptureRoute::portal) {
        // X11 sees black there: the recording comes through the desktop's screen cast, from the
        // selector to the recording's end.
        auto cast = castForRecording(preferences);
        recorder->setCast(cast);
        components.selector = std::make_unique<CastSelector>(microphones, std::move(cast));
    } else {
        components.selector = std::make_unique<OverlaySelector>(microphones);
    }
    components.recorder = std::move(recorder);
    // Cards of stills now offer Edit; the editor keeps the arrow direction in the user's settings.
    components.textRecognizer = TesseractRecognizer::forThisUser();
    auto editor = std::make_unique<EditorWindows>(preferences);
    editor->setTextRecognizer(components.textRecognizer);
    components.editor = std::move(editor);
    return components;
}

AppState::Components preview()
{
    AppState::Components components;
    components.thumbnails = std::make_unique<NoThumbnails>();
    components.hotKeys = std::make_unique<NoHotKeys>();
    components.recorder = std::make_unique<NoRecorder>();
    components.selector = std::make_unique<NoSelector>();
    components.systemShortcutsOn = [] { return false; };
    return components;
}

} // namespace ProgramComponents

AppState& AppState::shared()
{
    // Never destroyed: the state lives as long as the process, and nothing of it may run once the
    // application object is gone.
    static auto* const preferences =
        new brindle::UserDefaults(brindle::UserDefaults::standardFilePath(QStringLiteral("quillet")));
    static auto* const instance = new AppState(*preferences, false, ProgramComponents::program(*preferences));
    return *instance;
}

} // namespace quillet
