// The application state of the menu-bar program, with the program's real components.
#include "Brindle/AppInfo.hpp"
#include "Brindle/UserDefaults.hpp"
#include "Quillet/app/AppState.hpp"
#include "Quillet/capture/ScreenCaptureTool.hpp"
#include "Quillet/editor/EditorWindows.hpp"
#include "Quillet/recording/OverlaySelector.hpp"
#include "Quillet/recording/PulseMicrophones.hpp"
#include "Quillet/recording/ToolRecorder.hpp"
#include "Quillet/shell/ReminderUpdateCenter.hpp"
#include "Quillet/shortcuts/CaptureHotKeys.hpp"
#include "Quillet/thumbnails/ThumbnailStack.hpp"

#include <QApplication>
#include <QDesktopServices>

namespace quillet {
namespace {

AppState::Components programComponents(brindle::PreferenceStore& preferences)
{
    AppState::Components components;
    components.makeUpdateCenter = [&preferences]() -> std::unique_ptr<component::UpdateCenter> {
        // The store outlives the state and its centre; the reminder only borrows it.
        const std::shared_ptr<brindle::PreferenceStore> store(&preferences, [](brindle::PreferenceStore*) {});
        return std::make_unique<ReminderUpdateCenter>(
            store, QStringLiteral("quillet"), brindle::AppInfo::version(),
            ReminderUpdateCenter::Services{
                .openURL = [](const QUrl& url) { return QDesktopServices::openUrl(url); },
                .beep = &QApplication::beep});
    };
    components.thumbnails = std::make_unique<ThumbnailStack>();
    components.hotKeys = std::make_unique<CaptureHotKeys>();
    // The sound server's inputs, for the whole process.
    static auto* const microphones = new PulseMicrophones();
    components.recorder = std::make_unique<ToolRecorder>(ScreenCaptureTool::defaultProgram(), *microphones);
    components.selector = std::make_unique<OverlaySelector>(*microphones);
    // Cards of stills now offer Edit; the editor keeps the arrow direction in the user's settings.
    components.editor = std::make_unique<EditorWindows>(preferences);
    return components;
}

} // namespace

AppState& AppState::shared()
{
    // Never destroyed: the state lives as long as the process, and nothing of it may run once the
    // application object is gone.
    static auto* const preferences =
        new brindle::UserDefaults(brindle::UserDefaults::standardFilePath(QStringLiteral("quillet")));
    static auto* const instance = new AppState(*preferences, false, programComponents(*preferences));
    return *instance;
}

} // namespace quillet
