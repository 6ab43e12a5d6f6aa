#include "Quillet/app/AppStateMenuModel.hpp"

#include "Brindle/SystemSettings.hpp"

#include <QTimer>

namespace quillet {
namespace {

// How long a quit waits for a running recording to be stopped and saved.
constexpr auto recordingStopLimit = std::chrono::seconds(15);

} // namespace

AppStateMenuModel::AppStateMenuModel(AppState& state, std::function<void()> quit)
    : state_(state), quit_(std::move(quit))
{
    connect(&state_, &AppState::changed, this, &MenuModel::changed);
    connect(&state_.updates(), &UpdateCenter::changed, this, &MenuModel::changed);
    // A microphone plugged in or out while the panel is open shows at once.
    connect(&state_.microphones(), &Microphones::changed, this, &MenuModel::changed);
}

void AppStateMenuModel::requestScreenRecording()
{
    brindle::SystemSettings::open(brindle::SystemSettings::Pane::screenRecording);
}

void AppStateMenuModel::openKeyboardSettings()
{
    brindle::SystemSettings::open(brindle::SystemSettings::Pane::keyboardShortcuts);
}

std::optional<brindle::Shortcut> AppStateMenuModel::shortcut(CaptureAction action) const
{
    const brindle::Shortcut shortcut = state_.shortcuts()[action];
    if (shortcut == brindle::Shortcut::none) {
        return std::nullopt;
    }
    return shortcut;
}

QString AppStateMenuModel::desktopTrigger(CaptureAction action) const
{
    const auto& triggers = state_.desktopTriggers();
    const auto found = triggers.find(action);
    return found != triggers.end() ? found->second : QString();
}

std::vector<MenuModel::Microphone> AppStateMenuModel::microphones() const
{
    std::vector<Microphone> listed;
    for (const auto& device : state_.microphones().available()) {
        listed.push_back({device.id, device.name});
    }
    return listed;
}

void AppStateMenuModel::quit()
{
    if (!state_.isRecording()) {
        quit_();
        return;
    }
    // A recording is stopped and saved like a press of Stop before the program ends, never cut off.
    connect(&state_, &AppState::changed, this, [this] {
        if (!state_.isRecording()) {
            quit_();
        }
    });
    QTimer::singleShot(recordingStopLimit, this, [this] { quit_(); });
    state_.stopRecording();
}

} // namespace quillet
