#include "Quillet/app/AppState.hpp"
#include "core/Prefs.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "tests/Quillet/app/FakeComponents.hpp"
#include "tests/support/WaitFor.hpp"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <map>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using brindle::PropertyList;
using brindle::Shortcut;

constexpr auto shiftCommand = Shortcut::modifierMask({.command = true, .shift = true});
const Shortcut optionCommandA{0, Shortcut::optionMask | Shortcut::commandMask};

// Counts the writes of each key.
class CountingStore final : public brindle::InMemoryPreferenceStore {
public:
    void set(std::optional<PropertyList> value, std::string_view key) override
    {
        ++writes[std::string(key)];
        InMemoryPreferenceStore::set(std::move(value), key);
    }
    std::map<std::string, int> writes;
};

class AppStateEditing : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        preferences_.set(PropertyList(folder_.filePath("Captures").toStdString()), "folder");
        preferences_.writes.clear();
    }

    void make()
    {
        testing::FakeComponents fakes = testing::fakeComponents();
        hotKeys_ = fakes.hotKeys;
        AppState::Components& components = fakes.components;
        components.systemShortcutsOn = [this] { return desktopBindsDefaults_; };
        components.beep = [this] { ++beeps_; };
        components.chooseDirectory = [this](const QString& start) {
            dialogStarts_.push_back(start);
            return chosen_;
        };
        components.openURL = [this](const QUrl& url) { opened_.push_back(url); };
        state_ = std::make_unique<AppState>(preferences_, false, std::move(components));
    }

    // A key press as the keyboard sends it, delivered to whatever window has the focus.
    void type(int key, std::uint32_t virtualKeyCode, Qt::KeyboardModifiers modifiers = {})
    {
        const auto native = brindle::KeyboardPositions::current().nativeKeyCode(virtualKeyCode).value_or(0);
        QKeyEvent event(QEvent::KeyPress, key, modifiers, native, 0, 0);
        QApplication::sendEvent(&focused_, &event);
    }

    QTemporaryDir folder_;
    CountingStore preferences_;
    QLineEdit focused_;
    std::unique_ptr<AppState> state_;
    testing::FakeHotKeys* hotKeys_ = nullptr;
    bool desktopBindsDefaults_ = false;
    int beeps_ = 0;
    std::optional<QString> chosen_;
    std::vector<QString> dialogStarts_;
    std::vector<QUrl> opened_;
};

TEST_F(AppStateEditing, HotKeysAreWithdrawnWhileAnEditIsOpenAndReturnOnlyWhenEnabled)
{
    make();
    ASSERT_TRUE(hotKeys_->registered);
    state_->beginEditingShortcut(CaptureAction::area);
    EXPECT_EQ(state_->editingShortcut(), CaptureAction::area);
    EXPECT_FALSE(hotKeys_->registered);

    state_->endEditingShortcut();
    EXPECT_EQ(state_->editingShortcut(), std::nullopt);
    EXPECT_TRUE(hotKeys_->registered);

    state_->setEnabled(false);
    state_->beginEditingShortcut(CaptureAction::screen);
    state_->endEditingShortcut();
    EXPECT_FALSE(hotKeys_->registered) << "switched off: the edit's end registers nothing";
}

TEST_F(AppStateEditing, ARefusedKeyBeepsAndKeepsTheEditOpen)
{
    make();
    state_->beginEditingShortcut(CaptureAction::area);
    type(Qt::Key_A, 0, Qt::ShiftModifier);
    type(Qt::Key_F5, 96);
    EXPECT_EQ(beeps_, 2);
    EXPECT_EQ(state_->editingShortcut(), CaptureAction::area);
    EXPECT_FALSE(hotKeys_->registered);
    EXPECT_TRUE(focused_.text().isEmpty()) << "the keys went no further";
    EXPECT_EQ(preferences_.writes["shortcuts"], 0);
}

TEST_F(AppStateEditing, EscapeEndsTheEditWithoutAChange)
{
    make();
    state_->beginEditingShortcut(CaptureAction::recording);
    type(Qt::Key_Escape, 53);
    EXPECT_EQ(state_->editingShortcut(), std::nullopt);
    EXPECT_EQ(state_->shortcuts(), ShortcutMap::fromStored({}));
    EXPECT_EQ(preferences_.writes["shortcuts"], 0);
    EXPECT_EQ(hotKeys_->registered, ShortcutMap::fromStored({}));
    EXPECT_EQ(beeps_, 0);

    QKeyEvent typed(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, 38, 0, 0, QStringLiteral("a"));
    QApplication::sendEvent(&focused_, &typed);
    EXPECT_EQ(focused_.text(), "a") << "the monitor is gone with the edit";
}

TEST_F(AppStateEditing, DeleteRestoresTheDefault)
{
    preferences_.write(Prefs::shortcuts, ShortcutMap::Stored{{"area", optionCommandA}});
    make();
    ASSERT_EQ(state_->shortcuts()[CaptureAction::area], optionCommandA);
    state_->beginEditingShortcut(CaptureAction::area);
    type(Qt::Key_Backspace, 51);
    EXPECT_EQ(state_->shortcuts()[CaptureAction::area], (Shortcut{21, shiftCommand}));
    EXPECT_EQ(preferences_.read(Prefs::shortcuts).at("area"), (Shortcut{21, shiftCommand}));
    EXPECT_EQ(state_->editingShortcut(), std::nullopt);
    EXPECT_EQ(hotKeys_->registered, state_->shortcuts()) << "registered again with the new map";
}

TEST_F(AppStateEditing, ACombinationAnotherActionHoldsMovesAndBothAreStoredInOneWrite)
{
    make();
    state_->beginEditingShortcut(CaptureAction::screen);
    type(Qt::Key_Dollar, 21, Qt::MetaModifier | Qt::ShiftModifier);
    EXPECT_EQ(state_->shortcuts()[CaptureAction::screen], (Shortcut{21, shiftCommand}));
    EXPECT_EQ(state_->shortcuts()[CaptureAction::area], Shortcut::none);
    EXPECT_EQ(preferences_.writes["shortcuts"], 1);
    const auto stored = preferences_.read(Prefs::shortcuts);
    EXPECT_EQ(stored.at("screen"), (Shortcut{21, shiftCommand}));
    EXPECT_EQ(stored.at("area"), Shortcut::none);
    EXPECT_EQ(stored.at("recording"), (Shortcut{23, shiftCommand}));
}

TEST_F(AppStateEditing, BeginningAnotherEditEndsTheFirst)
{
    make();
    state_->beginEditingShortcut(CaptureAction::screen);
    state_->beginEditingShortcut(CaptureAction::recording);
    type(Qt::Key_A, 0, Qt::AltModifier | Qt::MetaModifier);
    EXPECT_EQ(state_->shortcuts()[CaptureAction::recording], optionCommandA);
    EXPECT_EQ(state_->shortcuts()[CaptureAction::screen], (Shortcut{20, shiftCommand}));
    EXPECT_EQ(state_->editingShortcut(), std::nullopt);
}

TEST_F(AppStateEditing, TheFolderChangesOnlyWhenTheUserConfirmsOne)
{
    make();
    const QString before = state_->folder();
    state_->chooseFolder();
    EXPECT_EQ(dialogStarts_, std::vector<QString>{before});
    EXPECT_EQ(state_->folder(), before);
    EXPECT_EQ(preferences_.writes["folder"], 0);

    chosen_ = folder_.filePath("Elsewhere");
    state_->chooseFolder();
    EXPECT_EQ(state_->folder(), *chosen_);
    EXPECT_EQ(state_->library().folder(), *chosen_);
    EXPECT_EQ(preferences_.read(Prefs::folder), chosen_->toStdString());
}

TEST_F(AppStateEditing, OpeningAMissingFolderMakesItFirst)
{
    make();
    ASSERT_FALSE(QDir(state_->folder()).exists());
    state_->openFolder();
    EXPECT_TRUE(QDir(state_->folder()).exists());
    EXPECT_EQ(opened_, std::vector<QUrl>{QUrl::fromLocalFile(state_->folder())});
}

TEST_F(AppStateEditing, TheStatusWatchFollowsTheDesktopsScreenshotKeys)
{
    desktopBindsDefaults_ = true;
    make();
    EXPECT_TRUE(state_->systemShortcutsOn());
    EXPECT_TRUE(state_->conflictsWithSystemShortcuts());
    EXPECT_EQ(state_->status(), AppStatus::systemShortcutsOn);

    int changes = 0;
    QObject::connect(state_.get(), &AppState::changed, [&changes] { ++changes; });
    desktopBindsDefaults_ = false;
    ASSERT_TRUE(testing::waitFor([&] { return !state_->systemShortcutsOn(); }, 5s));
    EXPECT_EQ(state_->status(), AppStatus::ready);
    testing::runEventLoop(2500ms);
    EXPECT_EQ(changes, 1) << "a watch round that finds nothing new publishes nothing";
}

} // namespace
} // namespace quillet
