#pragma once

#include "Quillet/app/AppState.hpp"
#include "Quillet/capture/ScreenCaptureTool.hpp"

#include "tests/Quillet/capture/FakePermissionAlert.hpp"
#include "tests/Quillet/capture/FakeScreenRecordingPermission.hpp"
#include "tests/Quillet/editor/FakeEditor.hpp"
#include "tests/Quillet/recording/FakeRecorder.hpp"
#include "tests/Quillet/recording/FakeSelector.hpp"
#include "tests/Quillet/shortcuts/FakeHotKeys.hpp"
#include "tests/Quillet/thumbnails/FakeThumbnailDisplay.hpp"

#include <memory>

namespace quillet::testing {

// The application state's components with a fake in every place an interface stands, and the fakes
// themselves for the test to drive and inspect. `components` owns them: the pointers live as long as
// the state the components go to. A test that puts a real component in a fake's place must not use
// that fake's pointer any more.
struct FakeComponents {
    AppState::Components components;
    FakeThumbnailDisplay* thumbnails = nullptr;
    FakeHotKeys* hotKeys = nullptr;
    FakeRecorder* recorder = nullptr;
    FakeSelector* selector = nullptr;
    FakeEditor* editor = nullptr;
    FakeScreenRecordingPermission* permission = nullptr;
    FakePermissionAlert* alert = nullptr;
};

// Screen recording is granted. The capturer runs `captureTool` (a stand-in such as FakeCaptureTool's, or
// the real tool) when one is given; otherwise it and the platform functions are left to the program.
[[nodiscard]] inline FakeComponents fakeComponents(const QString& captureTool = {})
{
    FakeComponents fakes;
    AppState::Components& components = fakes.components;
    const auto keep = [](auto& pointer, auto made) {
        pointer = made.get();
        return made;
    };
    components.thumbnails = keep(fakes.thumbnails, std::make_unique<FakeThumbnailDisplay>());
    components.hotKeys = keep(fakes.hotKeys, std::make_unique<FakeHotKeys>());
    components.recorder = keep(fakes.recorder, std::make_unique<FakeRecorder>());
    components.selector = keep(fakes.selector, std::make_unique<FakeSelector>());
    components.editor = keep(fakes.editor, std::make_unique<FakeEditor>());
    components.screenRecording =
        keep(fakes.permission, std::make_unique<FakeScreenRecordingPermission>(true));
    components.permissionAlert = keep(fakes.alert, std::make_unique<FakePermissionAlert>());
    if (!captureTool.isEmpty()) {
        components.capturer = std::make_unique<Capturer>(ScreenCaptureTool(captureTool));
    }
    return fakes;
}

} // namespace quillet::testing
