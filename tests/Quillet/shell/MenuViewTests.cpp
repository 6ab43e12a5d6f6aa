#include "Brindle/menu/ClickArea.hpp"
#include "Brindle/menu/MenuHeader.hpp"
#include "Brindle/menu/TextLine.hpp"
#include "Quillet/app/MenuSnapshot.hpp"
#include "Quillet/shell/MenuView.hpp"
#include "Quillet/shell/ReminderUpdateCenter.hpp"
#include "Quillet/shell/SettingsCard.hpp"
#include "Quillet/shell/ShortcutField.hpp"
#include "core/PrefixLength.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <map>

namespace quillet {
namespace {

// The panel's model as plain fields; every setter records the value and announces the change.
class FakeMenuModel final : public MenuModel {
public:
    AppStatus status() const override
    {
        return appStatus({isRecordingValue, enabled, true, false, !failed.empty()});
    }
    bool isEnabled() const override { return enabled; }
    void setEnabled(bool on) override { set(enabled, on); }
    bool isRecording() const override { return isRecordingValue; }
    std::optional<QDateTime> recordingStartedAt() const override { return startedAt; }
    void stopRecording() override { set(isRecordingValue, false); }
    bool hasScreenRecording() const override { return true; }
    void requestScreenRecording() override {}
    bool conflictsWithSystemShortcuts() const override { return false; }
    void openKeyboardSettings() override {}
    void performFromMenu(CaptureAction action) override { performed.push_back(action); }
    std::optional<brindle::Shortcut> shortcut(CaptureAction action) const override
    {
        return defaultShortcut(action);
    }
    std::optional<CaptureAction> editingShortcut() const override { return editing; }
    std::set<CaptureAction> failedShortcuts() const override { return failed; }
    ShortcutRoute shortcutRoute() const override { return route; }
    QString desktopTrigger(CaptureAction action) const override
    {
        return triggers.contains(action) ? triggers.at(action) : QString();
    }
    void beginEditingShortcut(CaptureAction action) override { set(editing, std::optional(action)); }
    void endEditingShortcut() override { set(editing, std::optional<CaptureAction>()); }
    QString folder() const override { return QStringLiteral("/home/someone/Screenshots"); }
    void openFolder() override {}
    void chooseFolder() override { ++folderChoices; }
    FileNamingStyle fileNaming() const override { return naming; }
    void setFileNaming(FileNamingStyle style) override { set(naming, style); }
    QString filePrefix() const override { return prefix; }
    void setFilePrefix(const QString& value) override { set(prefix, value); }
    std::int64_t nextNumber() const override { return number; }
    void setNextNumber(std::int64_t value) override { set(number, std::max<std::int64_t>(value, 1)); }
    bool recordMicrophone() const override { return false; }
    void setRecordMicrophone(bool) override {}
    std::optional<QString> microphoneID() const override { return std::nullopt; }
    void setMicrophoneID(std::optional<QString>) override {}
    std::vector<Microphone> microphones() const override { return {}; }
    bool showClicks() const override { return true; }
    void setShowClicks(bool) override {}
    bool isUpdateReminderDue() const override { return false; }
    void checkForUpdates() override {}
    void dismissUpdateReminder() override {}
    void quit() override {}

    template <typename Value> void set(Value& field, Value value)
    {
        field = std::move(value);
        emit changed();
    }

    bool enabled = true;
    bool isRecordingValue = false;
    std::optional<QDateTime> startedAt;
    std::optional<CaptureAction> editing;
    std::set<CaptureAction> failed;
    ShortcutRoute route = ShortcutRoute::x11HotKeys;
    std::map<CaptureAction, QString> triggers;
    FileNamingStyle naming = FileNamingStyle::date;
    QString prefix;
    std::int64_t number = 1;
    std::vector<CaptureAction> performed;
    int folderChoices = 0;
};

// Types as the user would, one key press per character.
void type(QWidget& widget, const QString& text)
{
    for (const QChar character : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(character));
        QCoreApplication::sendEvent(&widget, &press);
    }
}

[[nodiscard]] QImage render(QWidget& widget)
{
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    widget.adjustSize();
    QImage image(widget.size() * 2, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::white);
    widget.render(&image);
    return image;
}

TEST(MenuView, ShowsTheModelsStateAndHandsEveryChangeBack)
{
    FakeMenuModel model;
    int closed = 0;
    MenuView view(model, {.closePanel = [&] { ++closed; }});
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    SettingsCard& settings = view.settings();

    EXPECT_EQ(view.header().statusText(), "Ready \u00B7 saves WebP and MP4");
    EXPECT_FALSE(settings.numberRows().isVisibleTo(&view)) << "date names have no number rows";
    model.setFileNaming(FileNamingStyle::number);
    EXPECT_TRUE(settings.numberRows().isVisibleTo(&view));
    EXPECT_EQ(settings.nextFileCaption().text(), "Next file: 00001.webp");

    // A prefix is cut where the whole name would no longer fit a file name.
    type(settings.prefixField(), QString(120, QChar(0x00E9))); // 240 bytes of "é"
    EXPECT_EQ(model.prefix.toUtf8().size(), 230);
    EXPECT_LE(model.prefix.toUtf8().size(), static_cast<int>(PrefixLength::maximumBytes));

    // The next number takes digits only and keeps all 64 bits.
    QLineEdit& number = settings.numberField();
    number.clear();
    type(number, "9007199254740993x");
    EXPECT_EQ(number.text(), "9007199254740993");
    emit number.editingFinished();
    EXPECT_EQ(model.number, 9007199254740993);
    number.setText("99999999999999999999");
    emit number.editingFinished();
    EXPECT_EQ(model.number, 9007199254740993) << "beyond 64 bits keeps the stored number";

    // Change… closes the panel before the folder dialog opens.
    settings.changeFolderButton().click();
    EXPECT_EQ(closed, 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.folderChoices, 1);

    model.startedAt = QDateTime::currentDateTime().addSecs(-65);
    model.set(model.isRecordingValue, true);
    EXPECT_EQ(view.header().statusText(), "Recording");
    const auto accessibleNames = [&view] {
        QStringList names;
        for (const QWidget* widget : view.findChildren<QWidget*>()) {
            names << widget->accessibleName();
        }
        return names;
    };
    EXPECT_TRUE(accessibleNames().contains("Stop recording")) << "the row is read out as it reads";
    EXPECT_FALSE(accessibleNames().contains("Record screen"));

    view.hide();
    model.beginEditingShortcut(CaptureAction::area);
    view.show();
    view.hide();
    EXPECT_EQ(model.editing, std::nullopt) << "hiding the panel ends an edit";
}

TEST(ShortcutField, EditingShowsThePromptInAnAccentFrameAndASecondClickEndsIt)
{
    FakeMenuModel model;
    const QColor accent = QColor::fromRgb(175, 82, 222);
    ShortcutField field(model, CaptureAction::screen, accent);
    QObject::connect(&model, &MenuModel::changed, &field, &ShortcutField::refresh);
    const QImage idle = render(field);

    field.button().click();
    ASSERT_EQ(model.editing, CaptureAction::screen);
    const QImage editing = render(field);
    // The frame's left edge, halfway down: accent while editing, nothing before.
    const QPoint edge(1, field.button().height());
    EXPECT_LT(std::abs(editing.pixelColor(edge).hue() - accent.hue()), 8)
        << editing.pixelColor(edge).name().toStdString();
    EXPECT_LT(idle.pixelColor(edge).saturation(), 20) << "no frame while idle";
    EXPECT_TRUE(field.isEditing());

    field.button().click();
    EXPECT_EQ(model.editing, std::nullopt);
    EXPECT_FALSE(field.showsTakenSign());
    model.set(model.failed, {CaptureAction::screen});
    EXPECT_TRUE(field.showsTakenSign());
}

// Where the desktop holds the keys, a row shows the key it reports or how to bind one, and a click
// records nothing: such a key would never reach the program.
TEST(ShortcutField, ShowsTheDesktopsKeyOrCommandWhereTheDesktopHoldsTheKeys)
{
    struct Case {
        ShortcutRoute route;
        CaptureAction action;
        QString trigger;
        QString shown;
        bool editable;
    };
    const std::vector<Case> cases{
        {ShortcutRoute::x11HotKeys, CaptureAction::screen, "", "Shift+Super+3", true},
        {ShortcutRoute::desktopBinding, CaptureAction::screen, "", "quillet --action screen", false},
        {ShortcutRoute::desktopBinding, CaptureAction::recording, "Ctrl+R", "quillet --action record", false},
        {ShortcutRoute::globalShortcutsPortal, CaptureAction::area, "Shift+Meta+4", "Shift+Meta+4", false},
        {ShortcutRoute::globalShortcutsPortal, CaptureAction::area, "Ctrl++", "Ctrl++", false},
        {ShortcutRoute::globalShortcutsPortal, CaptureAction::recording, "", "In desktop settings", false},
    };
    for (const Case& c : cases) {
        FakeMenuModel model;
        model.route = c.route;
        model.failed = {c.action};
        if (!c.trigger.isEmpty()) {
            model.triggers[c.action] = c.trigger;
        }
        ShortcutField field(model, c.action, Qt::blue);
        EXPECT_EQ(field.shownText(), c.shown);
        field.button().click();
        EXPECT_EQ(model.editing.has_value(), c.editable) << c.shown.toStdString();
        EXPECT_EQ(field.showsTakenSign(), c.editable) << "the desktop's keys are never flagged as taken";
    }
}

TEST(ReminderUpdateCenter, OpeningThePageRestartsTheClockOnlyWhenItOpened)
{
    auto store = std::make_shared<brindle::InMemoryPreferenceStore>();
    double now = 1'000'000;
    bool opens = false;
    int beeps = 0;
    QList<QUrl> opened;
    QList<QUrl> reported;
    ReminderUpdateCenter centre(store, "quillet", "1.2",
                                {.now = [&] { return now; },
                                 .openURL =
                                     [&](const QUrl& url) {
                                         opened.append(url);
                                         return opens;
                                     },
                                 .beep = [&] { ++beeps; },
                                 .reportOpenFailure = [&](const QUrl& url) { reported.append(url); }});
    EXPECT_FALSE(centre.isUpdateReminderDue());
    now += brindle::UpdateReminder::interval;
    centre.refresh();
    ASSERT_TRUE(centre.isUpdateReminderDue());

    centre.checkForUpdates();
    EXPECT_TRUE(centre.isUpdateReminderDue()) << "nothing opened, so the reminder stays";
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(reported, opened) << "the user is told which page did not open";
    opens = true;
    centre.checkForUpdates();
    EXPECT_FALSE(centre.isUpdateReminderDue());
    ASSERT_EQ(opened.size(), 2);
    EXPECT_EQ(reported.size(), 1) << "a page that opened is no news";
    EXPECT_TRUE(opened.last().toString().endsWith("/updates/?app=quillet&version=1.2"));
    now += brindle::UpdateReminder::interval - 1;
    centre.refresh();
    EXPECT_FALSE(centre.isUpdateReminderDue()) << "the clock restarted at the check";
}

// Every state of the panel in both appearances, and no text of any cut off (render() reports each).
TEST(MenuSnapshot, WritesTheLightAndDarkPanelAtTwiceItsWidth)
{
    QTemporaryDir directory;
    EXPECT_EQ(MenuSnapshot::render(directory.path()), QStringList());
    EXPECT_EQ(QDir(directory.path()).entryList(QDir::Files),
              QStringList({"menu-en-dark.png", "menu-en-light.png", "menu-en-recording-dark.png",
                           "menu-en-recording-light.png", "menu-en-save-failed-dark.png",
                           "menu-en-save-failed-light.png", "menu-en-warnings-dark.png",
                           "menu-en-warnings-light.png", "menu-en-wayland-dark.png", "menu-en-wayland-light.png",
                           "menu-en-wayland-portal-dark.png", "menu-en-wayland-portal-light.png",
                           "menu-en-wayland-recording-dark.png", "menu-en-wayland-recording-light.png"}));
    const QImage light(directory.filePath("menu-en-light.png"));
    const QImage dark(directory.filePath("menu-en-dark.png"));
    EXPECT_EQ(light.width(), 680);
    EXPECT_EQ(dark.size(), light.size());
    EXPECT_GT(light.pixelColor(4, 4).lightness(), 200);
    EXPECT_LT(dark.pixelColor(4, 4).lightness(), 60);
    EXPECT_EQ(MenuSnapshot::render(directory.filePath("missing")).size(), 1);
    EXPECT_FALSE(QDir(directory.filePath("missing")).exists());
}

} // namespace
} // namespace quillet
