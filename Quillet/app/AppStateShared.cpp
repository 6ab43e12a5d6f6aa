// The application state of the menu-bar program, with the program's real components.
#include "Brindle/AppInfo.hpp"
#include "Brindle/UserDefaults.hpp"
#include "Quillet/app/AppState.hpp"
#include "Quillet/capture/ScreenCaptureTool.hpp"
#include "Quillet/recording/OverlaySelector.hpp"
#include "Quillet/recording/PulseMicrophones.hpp"
#include "Quillet/recording/ToolRecorder.hpp"
#include "Quillet/shortcuts/CaptureHotKeys.hpp"
#include "Quillet/thumbnails/ThumbnailStack.hpp"

namespace quillet {
namespace {

AppState::Components programComponents()
{
    AppState::Components components;
    components.thumbnails = std::make_unique<ThumbnailStack>();
    components.hotKeys = std::make_unique<CaptureHotKeys>();
    // The sound server's inputs, for the whole process.
    static auto* const microphones = new PulseMicrophones();
    components.recorder = std::make_unique<ToolRecorder>(ScreenCaptureTool::defaultProgram(), *microphones);
    components.selector = std::make_unique<OverlaySelector>(*microphones);
    return components;
}

} // namespace

AppState& AppState::shared()
{
    // Never destroyed: the state lives as long as the process, and nothing of it may run once the
    // application object is gone.
    static auto* const preferences =
        new brindle::UserDefaults(brindle::UserDefaults::standardFilePath(QStringLiteral("quillet")));
    static auto* const instance = new AppState(*preferences, false, programComponents());
    return *instance;
}

} // namespace quillet
