// The panel over the real application state: every control reaches the flows behind it.
#include "Brindle/menu/ClickArea.hpp"
#include "Brindle/menu/MenuHeader.hpp"
#include "Brindle/menu/MenuPicker.hpp"
#include "Brindle/menu/MenuSwitch.hpp"
#include "Brindle/menu/PillButton.hpp"
#include "Quillet/app/AppStateMenuModel.hpp"
#include "Quillet/shell/MenuView.hpp"
#include "Quillet/shell/PanelText.hpp"
#include "Quillet/shell/SettingsCard.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "tests/Quillet/app/FakeComponents.hpp"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using brindle::PropertyList;

// A list the test can change as a sound server would.
class ChangingMicrophones final : public Microphones {
public:
    [[nodiscard]] std::vector<Device> available() const override { return devices; }
    [[nodiscard]] QString defaultName() const override { return fallbackDefaultName(); }
    void plug(std::vector<Device> now)
    {
        devices = std::move(now);
        emit changed();
    }
    std::vector<Device> devices;
};

[[nodiscard]] QStringList labels(const brindle::MenuPicker& picker)
{
    QStringList result;
    for (const auto& option : picker.options()) {
        result.append(option.label);
    }
    return result;
}

TEST(AppStateMenuModel, EveryPanelControlReachesTheStateItsPreferencesAndTheRecording)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    brindle::InMemoryPreferenceStore preferences;
    preferences.set(PropertyList(folder.filePath("Captures").toStdString()), "folder");

    testing::FakeComponents fakes = testing::fakeComponents();
    auto* keys = fakes.hotKeys;
    auto* recording = fakes.recorder;
    auto* area = fakes.selector;
    auto microphones = std::make_unique<ChangingMicrophones>();
    auto* inputs = microphones.get();
    AppState::Components& components = fakes.components;
    components.microphones = std::move(microphones);
    components.systemShortcutsOn = [] { return false; };
    const QString chosenFolder = folder.filePath("Chosen");
    components.chooseDirectory = [&](const QString&) { return std::optional(chosenFolder); };
    AppState state(preferences, false, std::move(components));
    int quits = 0;
    AppStateMenuModel model(state, [&] { ++quits; });
    MenuView view(model, {});
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    SettingsCard& settings = view.settings();

    // Status and master switch.
    EXPECT_EQ(view.header().statusText(), PanelText::status(statusText(AppStatus::ready)));
    const int unregistrationsBefore = keys->unregistrations;
    view.header().masterSwitch().click();
    EXPECT_FALSE(state.isEnabled());
    EXPECT_EQ(preferences.object("enabled"), PropertyList(false));
    EXPECT_GT(keys->unregistrations, unregistrationsBefore);
    EXPECT_NE(view.header().statusText(), PanelText::status(statusText(AppStatus::ready)));
    view.header().masterSwitch().click();
    EXPECT_TRUE(state.isEnabled());

    // The microphone picker appears once the microphone is on and there is a choice to make, and
    // follows the server's list while the panel is open.
    EXPECT_FALSE(settings.microphoneRow().isVisibleTo(&view));
    settings.microphoneSwitch().click();
    EXPECT_EQ(preferences.object("recordMicrophone"), PropertyList(true));
    EXPECT_FALSE(settings.microphoneRow().isVisibleTo(&view)) << "no choice without two microphones";
    inputs->plug({{"usb_mic", "USB Microphone"}, {"headset_mic", "Headset"}});
    ASSERT_TRUE(settings.microphoneRow().isVisibleTo(&view));
    EXPECT_EQ(labels(settings.microphonePicker()),
              (QStringList{PanelText::systemDefaultMicrophone(), "USB Microphone", "Headset"}));
    settings.microphonePicker().choose(QString("headset_mic"));
    EXPECT_EQ(preferences.object("microphoneID"), PropertyList("headset_mic"));
    EXPECT_EQ(settings.microphonePicker().currentLabel(), "Headset");

    // The recording uses the chosen microphone; the panel's Stop ends it.
    state.toggleRecording();
    ASSERT_FALSE(area->begun.empty());
    EXPECT_TRUE(area->begun.back().microphone);
    EXPECT_EQ(area->begun.back().microphoneID, QString("headset_mic"));
    area->finish(AreaSelector::Record{{0, 0, 100, 80}, area->begun.back()});
    ASSERT_TRUE(state.isRecording());
    EXPECT_EQ(recording->starts.back().second.microphoneID, QString("headset_mic"));
    EXPECT_EQ(view.header().statusText(), PanelText::status(statusText(AppStatus::recording)));
    const auto buttons = view.findChildren<brindle::PillButton*>();
    const auto stop = std::find_if(buttons.begin(), buttons.end(), [](const brindle::PillButton* button) {
        return button->text() == PanelText::stop() && button->isVisibleTo(button->window());
    });
    ASSERT_NE(stop, buttons.end());
    (*stop)->click();
    EXPECT_FALSE(state.isRecording());
    EXPECT_EQ(recording->stops.size(), 1U);

    // Change… stores the folder the dialog gave.
    settings.changeFolderButton().click();
    QCoreApplication::processEvents();
    EXPECT_EQ(preferences.object("folder"), PropertyList(chosenFolder.toStdString()));

    model.quit();
    EXPECT_EQ(quits, 1);
}

} // namespace
} // namespace quillet
