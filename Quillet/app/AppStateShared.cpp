// The application state of the menu-bar program, with the program's real components.
#include "Brindle/AppInfo.hpp"
#include "Brindle/UserDefaults.hpp"
#include "Quillet/app/AppState.hpp"
#include "Quillet/capture/ScreenCaptureTool.hpp"
#include "Quillet/recording/PulseMicrophones.hpp"
#include "Quillet/recording/ToolRecorder.hpp"
#include "Quillet/shortcuts/CaptureHotKeys.hpp"
#include "Quillet/thumbnails/ThumbnailStack.hpp"

#include <QTimer>

namespace quillet {
namespace {

const brindle::Logger& log()
{
    static const brindle::Logger instance = brindle::AppInfo::logger("capture");
    return instance;
}

// Stand-in until the area selector exists in this program: it says in the log that its part is
// missing and ends as a cancelled selection would.
class MissingSelector final : public component::AreaSelector {
public:
    void begin(const component::Recorder::Options&, Completion completion) override
    {
        log().error("screen recording is not available in this build");
        QTimer::singleShot(0, [completion = std::move(completion)] { completion(Cancelled{}); });
    }
    [[nodiscard]] bool isOpen() const override { return false; }
};

AppState::Components programComponents()
{
    AppState::Components components;
    components.thumbnails = std::make_unique<ThumbnailStack>();
    components.hotKeys = std::make_unique<CaptureHotKeys>();
    // The sound server's inputs, for the whole process.
    static auto* const microphones = new PulseMicrophones();
    components.recorder = std::make_unique<ToolRecorder>(ScreenCaptureTool::defaultProgram(), *microphones);
    components.selector = std::make_unique<MissingSelector>();
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
