#include "Quillet/app/AppState.hpp"
#include "Quillet/common/BackgroundWork.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "tests/Quillet/app/FakeComponents.hpp"
#include "tests/Quillet/capture/FakeCaptureTool.hpp"
#include "tests/support/LogCapture.hpp"
#include "tests/support/SmallFileSystem.hpp"
#include "tests/support/WaitFor.hpp"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>

namespace quillet {
namespace {

using namespace std::chrono;
using namespace quillet::testing;
using brindle::PropertyList;

const QString captureCategory = QStringLiteral("app.quillet.Quillet.capture");

QImage opaqueScreen()
{
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    QPainter(&image).fillRect(8, 8, 20, 10, Qt::white);
    return image;
}

QImage transparentScreen()
{
    QImage image(64, 48, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

class AppStateFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        ASSERT_TRUE(tool_.isValid());
        tool_.setImage(opaqueScreen());
        preferences_.set(PropertyList(folder_.path().toStdString()), "folder");
        workBefore_ = BackgroundWork::instance().pending();
    }

    // Whatever a test left running, once the state is gone quitting has nothing left to wait for:
    // a capture whose capturer went mid-way counts as ended too.
    void TearDown() override
    {
        state_.reset();
        EXPECT_TRUE(waitFor([&] { return BackgroundWork::instance().pending() == workBefore_; }));
    }

    // Builds the state over the fakes; `encode` replaces the WebP encoder when given.
    void make(bool preview = false, std::function<std::optional<QByteArray>(const QImage&)> encode = {})
    {
        FakeComponents fakes = fakeComponents(tool_.program());
        thumbnails_ = fakes.thumbnails;
        hotKeys_ = fakes.hotKeys;
        recorder_ = fakes.recorder;
        selector_ = fakes.selector;
        editor_ = withEditor_ ? fakes.editor : nullptr;
        permission_ = fakes.permission;
        permission_->granted = granted_;
        alert_ = fakes.alert;
        AppState::Components& components = fakes.components;
        if (!withEditor_) {
            components.editor.reset();
        }
        components.encode = std::move(encode);
        components.beep = [this] { ++beeps_; };
        components.notify = notify_;
        components.now = [] { return sys_days{2025y / January / 31} + 14h + 5min + 9s; };
        state_ = std::make_unique<AppState>(preferences_, preview, std::move(components));
    }

    // Runs a still capture until its flow has ended (a thumbnail, or a message that ends it).
    void captureScreen()
    {
        const std::size_t thumbnailsBefore = thumbnails_->finished();
        const std::size_t messagesBefore = log_.texts(captureCategory).size();
        state_->perform(CaptureAction::screen);
        ASSERT_TRUE(waitFor([&] {
            if (thumbnails_->finished() > thumbnailsBefore) {
                return true;
            }
            const auto texts = log_.texts(captureCategory);
            for (std::size_t i = messagesBefore; i < texts.size(); ++i) {
                if (texts[i].startsWith("could not save") || texts[i].startsWith("capture cancelled") ||
                    texts[i].startsWith("capture failed") || texts[i].endsWith("blank=true")) {
                    return true;
                }
            }
            return false;
        }));
    }

    void useNumbers(std::int64_t next)
    {
        preferences_.set(PropertyList("number"), "fileNaming");
        preferences_.set(PropertyList("Shot"), "filePrefix");
        preferences_.set(PropertyList(next), "nextNumber");
    }

    [[nodiscard]] QStringList files() const
    {
        return QDir(folder_.path()).entryList(QDir::Files, QDir::Name);
    }

    // A capture was asked of the tool since the fake was made.
    [[nodiscard]] bool toolRan() const { return !tool_.arguments().isEmpty(); }

    LogCapture log_;
    QTemporaryDir folder_;
    FakeCaptureTool tool_;
    brindle::InMemoryPreferenceStore preferences_;
    bool granted_ = true;
    bool withEditor_ = true;
    std::unique_ptr<AppState> state_;
    FakeThumbnailDisplay* thumbnails_ = nullptr;
    FakeHotKeys* hotKeys_ = nullptr;
    FakeRecorder* recorder_ = nullptr;
    std::function<void(const DesktopNotifications::Notice&)> notify_;
    FakeSelector* selector_ = nullptr;
    FakeEditor* editor_ = nullptr;
    FakeScreenRecordingPermission* permission_ = nullptr;
    FakePermissionAlert* alert_ = nullptr;
    int beeps_ = 0;
    int workBefore_ = 0;
};

TEST_F(AppStateFlow, AScreenCaptureIsSavedAsWebPNamedByDateAndShownAsACard)
{
    make();
    captureScreen();
    ASSERT_EQ(thumbnails_->added.size(), 1u);
    const QString expected = folder_.filePath("Screenshot 2025-01-31 at 14.05.09.webp");
    EXPECT_EQ(thumbnails_->added[0].url, QUrl::fromLocalFile(expected));
    EXPECT_EQ(thumbnails_->added[0].size, QSize(64, 48));
    EXPECT_FALSE(thumbnails_->added[0].isVideo);
    QFile file(expected);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(12).startsWith("RIFF"));

    const auto texts = log_.texts(captureCategory);
    const std::vector<QString> expectedLog{"action screen", "screen recording preflight=true",
                                           "captured 64x48 blank=false",
                                           QStringLiteral("saved %1 KB").arg(file.size() / 1024)};
    EXPECT_EQ(texts, expectedLog);
    EXPECT_EQ(state_->nextNumber(), 1) << "date names never touch the number";
    EXPECT_FALSE(preferences_.object("nextNumber").has_value());
}

// With the setting on, each new still is on the clipboard once its file is complete; with it off
// (the default), the clipboard is left alone. The setting is kept under its own key.
TEST_F(AppStateFlow, NewStillsAreCopiedOnlyWithTheSettingOn)
{
    make();
    QClipboard& clipboard = *QGuiApplication::clipboard();
    clipboard.setText(QStringLiteral("the user's"));
    EXPECT_FALSE(state_->copyNewCaptures());
    captureScreen();
    ASSERT_TRUE(waitFor([] { return BackgroundWork::instance().pending() == 0; }));
    EXPECT_EQ(clipboard.text(), QStringLiteral("the user's"));

    state_->setCopyNewCaptures(true);
    EXPECT_TRUE(preferences_.object("copyNewCaptures").has_value());
    captureScreen();
    ASSERT_EQ(thumbnails_->added.size(), 2u);
    const QUrl saved = thumbnails_->added.back().url;
    ASSERT_TRUE(waitFor([&] {
        const QMimeData* data = clipboard.mimeData();
        return data != nullptr && data->urls() == QList<QUrl>{saved};
    }));
    EXPECT_TRUE(clipboard.mimeData()->hasFormat(QStringLiteral("image/png")));
}

TEST_F(AppStateFlow, AStillsCardShowsTheCapturedPixelsAtOnceAndTakesItsFileWhenComplete)
{
    // The encoder waits until the test has seen the card, so the saving state cannot be missed.
    std::mutex mutex;
    std::condition_variable released;
    bool go = false;
    const auto release = [&] {
        const std::lock_guard lock(mutex);
        go = true;
        released.notify_all();
    };
    const std::unique_ptr<void, std::function<void(void*)>> releaseOnExit(&go, [&](void*) { release(); });
    make(false, [&](const QImage& image) -> std::optional<QByteArray> {
        std::unique_lock lock(mutex);
        released.wait(lock, [&] { return go; });
        return QByteArray("webp bytes of ") + QByteArray::number(image.width());
    });
    state_->perform(CaptureAction::screen);
    ASSERT_TRUE(waitFor([&] { return !thumbnails_->added.empty(); }));
    const AddedThumbnail early = thumbnails_->added[0];
    EXPECT_TRUE(early.isSaving);
    EXPECT_TRUE(early.url.isEmpty());
    EXPECT_EQ(early.size, QSize(64, 48));
    EXPECT_EQ(early.scale, 1);
    EXPECT_TRUE(files().isEmpty());

    release();
    ASSERT_TRUE(waitFor([&] { return thumbnails_->finished() == 1; }));
    ASSERT_EQ(thumbnails_->added.size(), 1u);
    EXPECT_EQ(thumbnails_->added[0].id, early.id);
    EXPECT_EQ(thumbnails_->added[0].url,
              QUrl::fromLocalFile(folder_.filePath("Screenshot 2025-01-31 at 14.05.09.webp")));
    EXPECT_EQ(files(), QStringList{"Screenshot 2025-01-31 at 14.05.09.webp"});
    EXPECT_EQ(thumbnails_->removed, 0);
}

TEST_F(AppStateFlow, NumberedStillsUseTheNextNumbersAlsoWhenASaveFails)
{
    useNumbers(7);
    std::atomic<int> encodes = 0;
    make(false, [&encodes](const QImage& image) -> std::optional<QByteArray> {
        if (encodes++ == 0) {
            return std::nullopt;
        }
        return QByteArray("webp bytes of ") + QByteArray::number(image.width());
    });
    captureScreen();
    captureScreen();
    EXPECT_EQ(files(), QStringList{"Shot 00008.webp"});
    EXPECT_EQ(state_->nextNumber(), 9);
    EXPECT_EQ(preferences_.object("nextNumber"), PropertyList(std::int64_t{9}));
    ASSERT_EQ(thumbnails_->added.size(), 1u);
    EXPECT_EQ(thumbnails_->added[0].url, QUrl::fromLocalFile(folder_.filePath("Shot 00008.webp")));
}

TEST_F(AppStateFlow, AFailedEncodeIsLoggedAndAddsNoThumbnail)
{
    make(false, [](const QImage&) { return std::optional<QByteArray>(); });
    const int workBefore = BackgroundWork::instance().pending();
    captureScreen();
    // The card leaves with the failure, or never shows when the failure came before its pixels were
    // reduced.
    ASSERT_TRUE(waitFor([&] { return BackgroundWork::instance().pending() == workBefore; }));
    EXPECT_TRUE(thumbnails_->added.empty());
    EXPECT_LE(thumbnails_->removed, 1);
    EXPECT_TRUE(files().isEmpty());
    const auto failures = log_.messages();
    const auto failure = std::find_if(failures.begin(), failures.end(), [](const LoggedMessage& message) {
        return message.text.startsWith("could not save screenshot: ");
    });
    ASSERT_NE(failure, failures.end());
    EXPECT_EQ(failure->type, QtWarningMsg);
    EXPECT_EQ(failure->text,
              "could not save screenshot: The file \u201cScreenshot 2025-01-31 at 14.05.09.webp\u201d "
              "couldn\u2019t be saved.");
}

// A lost still is logged, beeps and stays in the status, also over later failures, until a still is
// written again.
TEST_F(AppStateFlow, AStillThatCannotBeSavedShowsUntilOneIsSaved)
{
    QFile blocker(folder_.filePath("blocked"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    preferences_.set(PropertyList(folder_.filePath("blocked/Screenshots").toStdString()), "folder");
    make();
    int changes = 0;
    QObject::connect(state_.get(), &AppState::changed, [&changes] { ++changes; });
    for (int attempt = 1; attempt <= 2; ++attempt) {
        captureScreen();
        EXPECT_TRUE(thumbnails_->added.empty());
        const auto texts = log_.texts(captureCategory);
        ASSERT_FALSE(texts.empty());
        EXPECT_TRUE(texts.back().startsWith("could not save screenshot: ")) << texts.back().toStdString();
        EXPECT_EQ(state_->status(), AppStatus::saveFailed);
        EXPECT_EQ(beeps_, attempt) << "every lost still beeps";
        EXPECT_EQ(changes, 1) << "announced once";
    }

    ASSERT_TRUE(blocker.remove());
    captureScreen();
    EXPECT_EQ(thumbnails_->added.size(), 1u);
    EXPECT_EQ(state_->status(), AppStatus::ready);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(beeps_, 2);
}

TEST_F(AppStateFlow, AFileThatAppearsUnderTheChosenNameIsNeverOverwritten)
{
    useNumbers(3);
    // The encoder runs after the name was chosen: it plays the other program that takes the name.
    const QString intruder = folder_.filePath("Shot 00003.webp");
    make(false, [intruder](const QImage&) -> std::optional<QByteArray> {
        QFile other(intruder);
        if (!other.exists() && other.open(QIODevice::WriteOnly)) {
            other.write("someone else's");
        }
        return QByteArray("ours");
    });
    captureScreen();
    EXPECT_EQ(files(), (QStringList{"Shot 00003.webp", "Shot 00004.webp"}));
    QFile other(intruder);
    ASSERT_TRUE(other.open(QIODevice::ReadOnly));
    EXPECT_EQ(other.readAll(), "someone else's");
    ASSERT_EQ(thumbnails_->added.size(), 1u);
    EXPECT_EQ(thumbnails_->added[0].url, QUrl::fromLocalFile(folder_.filePath("Shot 00004.webp")));
    EXPECT_EQ(state_->nextNumber(), 5);
}

// A full disk fails the save with its reason and leaves no part of the file; a capture folder deleted
// while the program runs is made again by the next save.
TEST_F(AppStateFlow, AFullDiskLosesNothingAndADeletedFolderIsMadeAgain)
{
    quillet::testing::SmallFileSystem disk(32 * 1024);
    if (!disk.isMounted()) {
        GTEST_SKIP() << "no permission to mount a small file system";
    }
    const QString full = QString::fromStdString(disk.path()) + "/Screenshots";
    preferences_.set(PropertyList(full.toStdString()), "folder");
    make(false, [](const QImage&) { return std::optional<QByteArray>(QByteArray(64 * 1024, 'w')); });
    captureScreen();
    EXPECT_TRUE(thumbnails_->added.empty());
    EXPECT_TRUE(QDir(full).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());
    const auto texts = log_.texts(captureCategory);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.back(), "could not save screenshot: couldn't write " + full +
                                "/Screenshot 2025-01-31 at 14.05.09.webp: No space left on device");

    const QString deleted = folder_.filePath("gone");
    preferences_.set(PropertyList(deleted.toStdString()), "folder");
    ASSERT_TRUE(QDir().mkpath(deleted));
    make();
    ASSERT_TRUE(QDir(deleted).removeRecursively());
    captureScreen();
    ASSERT_EQ(thumbnails_->added.size(), 1u);
    EXPECT_TRUE(QFile::exists(deleted + "/Screenshot 2025-01-31 at 14.05.09.webp"));
}

TEST_F(AppStateFlow, ABlankCaptureShowsThePermissionAlertAndSavesNothing)
{
    tool_.setImage(transparentScreen());
    make();
    captureScreen();
    EXPECT_EQ(alert_->shown, 1);
    EXPECT_TRUE(thumbnails_->added.empty());
    EXPECT_TRUE(files().isEmpty());
    EXPECT_TRUE(log_.contains(captureCategory, "captured 64x48 blank=true"));
}

// A failure is logged once with its reason, beeps and stays in the status until a capture succeeds;
// a cancel is only logged, whatever came before it.
TEST_F(AppStateFlow, AFailedCaptureShowsUntilOneSucceedsAndACancelIsOnlyLogged)
{
    make();
    int changes = 0;
    QObject::connect(state_.get(), &AppState::changed, [&changes] { ++changes; });

    tool_.setBehaviour(FakeCaptureTool::Behaviour::writeNothing);
    captureScreen();
    EXPECT_EQ(state_->status(), AppStatus::ready);
    EXPECT_EQ(beeps_, 0);
    EXPECT_EQ(changes, 0);

    tool_.setBehaviour(FakeCaptureTool::Behaviour::removeOutput);
    captureScreen();
    EXPECT_EQ(state_->status(), AppStatus::captureFailed);
    EXPECT_EQ(beeps_, 1);
    EXPECT_EQ(changes, 1);
    const QString failure = "capture failed: screencapture failed: cannot read the screen";
    const auto texts = log_.texts(captureCategory);
    EXPECT_EQ(std::count(texts.begin(), texts.end(), failure), 1) << "logged once";
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "capture cancelled"), 1);

    tool_.setBehaviour(FakeCaptureTool::Behaviour::writeNothing);
    state_->perform(CaptureAction::area);
    ASSERT_TRUE(waitFor([&] { return log_.texts(captureCategory).back() == "capture cancelled"; }));
    EXPECT_EQ(state_->status(), AppStatus::captureFailed) << "only a still clears the failure";
    EXPECT_EQ(tool_.arguments().value(2), "-i");

    tool_.setBehaviour(FakeCaptureTool::Behaviour::writeImage);
    captureScreen();
    EXPECT_EQ(state_->status(), AppStatus::ready);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(beeps_, 1);
    EXPECT_EQ(thumbnails_->added.size(), 1u);
    EXPECT_EQ(alert_->shown, 0);
}

TEST_F(AppStateFlow, WithoutPermissionNothingStartsAndTheAlertShows)
{
    granted_ = false;
    make();
    EXPECT_FALSE(state_->hasScreenRecording());
    for (const auto action : {CaptureAction::screen, CaptureAction::area, CaptureAction::recording}) {
        state_->perform(action);
    }
    runEventLoop(milliseconds(100));
    EXPECT_EQ(alert_->shown, 3);
    EXPECT_FALSE(toolRan());
    EXPECT_TRUE(selector_->begun.empty());
    EXPECT_TRUE(log_.contains(captureCategory, "screen recording preflight=false"));
}

TEST_F(AppStateFlow, WhileTheSelectorIsOpenNoActionStarts)
{
    make();
    selector_->open = true;
    for (const auto action : {CaptureAction::screen, CaptureAction::area, CaptureAction::recording}) {
        state_->perform(action);
    }
    runEventLoop(milliseconds(100));
    EXPECT_FALSE(toolRan());
    EXPECT_TRUE(selector_->begun.empty());
    EXPECT_EQ(permission_->preflights, 1) << "only the start-up refresh asked";
}

TEST_F(AppStateFlow, WhileRecordingStillsAreRefusedAndTheRecordingShortcutStops)
{
    make();
    state_->perform(CaptureAction::recording);
    ASSERT_EQ(selector_->begun.size(), 1u);
    EXPECT_EQ(selector_->begun[0], (Recorder::Options{false, std::nullopt, true}));
    selector_->finish(AreaSelector::Record{Rect(10, 20, 300, 200), {true, QString("mic-2"), false}});
    ASSERT_TRUE(state_->isRecording());
    EXPECT_TRUE(state_->recordingStartedAt().has_value());
    EXPECT_TRUE(state_->recordMicrophone());
    EXPECT_EQ(state_->microphoneID(), QString("mic-2"));
    EXPECT_FALSE(state_->showClicks());
    EXPECT_EQ(preferences_.object("microphoneID"), PropertyList("mic-2"));

    state_->perform(CaptureAction::screen);
    state_->perform(CaptureAction::area);
    runEventLoop(milliseconds(100));
    EXPECT_FALSE(toolRan());

    state_->perform(CaptureAction::recording);
    EXPECT_FALSE(state_->isRecording());
    EXPECT_FALSE(state_->recordingStartedAt().has_value());
    ASSERT_EQ(recorder_->stops.size(), 1u);
    EXPECT_EQ(recorder_->stops[0], folder_.filePath("Screen Recording 2025-01-31 at 14.05.09.mp4"));
    ASSERT_EQ(thumbnails_->added.size(), 1u);
    EXPECT_TRUE(thumbnails_->added[0].isVideo);
    EXPECT_EQ(thumbnails_->added[0].size, QSize(440, 220));
}

TEST_F(AppStateFlow, ARecordingKeptOutsideTheFolderOrStoppedByItsFailureIsNotified)
{
    std::vector<DesktopNotifications::Notice> notices;
    notify_ = [&](const DesktopNotifications::Notice& notice) { notices.push_back(notice); };
    make();
    recorder_->keptMovie = QStringLiteral("/var/tmp/cache/kept 1.mov");
    state_->perform(CaptureAction::recording);
    selector_->finish(AreaSelector::Record{Rect(10, 20, 300, 200), {}});
    state_->perform(CaptureAction::recording);

    ASSERT_EQ(notices.size(), 1u);
    EXPECT_TRUE(notices[0].body.contains("kept 1.mov")) << notices[0].body.toStdString();
    EXPECT_TRUE(notices[0].body.contains("/var/tmp/cache")) << notices[0].body.toStdString();
    EXPECT_EQ(notices[0].actionTarget, QUrl::fromLocalFile("/var/tmp/cache"));
    EXPECT_TRUE(thumbnails_->added.empty());
    EXPECT_EQ(state_->status(), AppStatus::recordingNotSaved);

    // A recorder that fails mid-way: what it recorded is saved, with a card and a word why it is short.
    recorder_->keptMovie.reset();
    state_->perform(CaptureAction::recording);
    selector_->finish(AreaSelector::Record{Rect(10, 20, 300, 200), {}});
    recorder_->onFailed();
    recorder_->onEnded();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[1].title, "Recording stopped by itself");
    EXPECT_EQ(notices[1].actionTarget, QUrl::fromLocalFile(folder_.path()));
    EXPECT_EQ(thumbnails_->added.size(), 1u);

    // The desktop ending the source is an end the user chose: no notice.
    state_->perform(CaptureAction::recording);
    selector_->finish(AreaSelector::Record{Rect(10, 20, 300, 200), {}});
    recorder_->onEnded();
    EXPECT_EQ(notices.size(), 2u);
    EXPECT_EQ(thumbnails_->added.size(), 2u);
}

TEST_F(AppStateFlow, ARecordingWithTheMicrophoneOffKeepsTheChosenMicrophone)
{
    preferences_.set(PropertyList("mic-1"), "microphoneID");
    make();
    state_->toggleRecording();
    selector_->finish(AreaSelector::Record{Rect(0, 0, 100, 100), {false, QString("other"), true}});
    EXPECT_EQ(state_->microphoneID(), QString("mic-1"));
    EXPECT_FALSE(state_->recordMicrophone());
}

TEST_F(AppStateFlow, TheMicrophoneRoundTripReopensTheSelectorWithTheAnswer)
{
    make();
    state_->toggleRecording();
    selector_->finish(AreaSelector::NeedsMicrophonePermission{{true, QString("mic"), false}});
    ASSERT_TRUE(waitFor([&] { return selector_->begun.size() == 2; }));
    EXPECT_EQ(selector_->begun[1], (Recorder::Options{true, QString("mic"), false}));
}

TEST_F(AppStateFlow, HotKeysAreRegisteredAtStartAndFollowTheSwitch)
{
    make();
    ASSERT_EQ(hotKeys_->registrations.size(), 1u);
    EXPECT_EQ(hotKeys_->registrations[0], ShortcutMap::fromStored({}));
    ASSERT_TRUE(hotKeys_->onPress);

    hotKeys_->refused = {CaptureAction::area};
    state_->setEnabled(true);
    EXPECT_EQ(state_->failedShortcuts(), std::set<CaptureAction>{CaptureAction::area});
    EXPECT_EQ(state_->status(), AppStatus::shortcutsTaken);
    // A keyboard change takes another key away, with no registration of ours.
    hotKeys_->refused = {CaptureAction::area, CaptureAction::recording};
    ASSERT_TRUE(hotKeys_->onFailedChange);
    hotKeys_->onFailedChange();
    EXPECT_EQ(state_->failedShortcuts(),
              (std::set<CaptureAction>{CaptureAction::area, CaptureAction::recording}));

    hotKeys_->refused.clear();
    state_->setEnabled(false);
    EXPECT_EQ(hotKeys_->unregistrations, 1);
    EXPECT_TRUE(state_->failedShortcuts().empty());
    EXPECT_EQ(preferences_.object("enabled"), PropertyList(false));
    EXPECT_EQ(state_->status(), AppStatus::paused);

    hotKeys_->onPress(CaptureAction::area);
    ASSERT_TRUE(waitFor([&] { return !tool_.arguments().isEmpty(); }));
    EXPECT_EQ(tool_.arguments().value(2), "-i");
}

TEST_F(AppStateFlow, APreviewRegistersNothingAndPollsNothing)
{
    make(true);
    FakeHotKeys* previewHotKeys = hotKeys_;
    FakeScreenRecordingPermission* previewPermission = permission_;
    FakeThumbnailDisplay* previewThumbnails = thumbnails_;
    auto preview = std::move(state_);
    make(false);

    EXPECT_TRUE(previewHotKeys->registrations.empty());
    EXPECT_EQ(previewHotKeys->unregistrations, 0);
    EXPECT_FALSE(previewHotKeys->onPress);
    EXPECT_FALSE(previewThumbnails->onEdit);
    EXPECT_FALSE(preview->updates().isUpdateReminderDue());

    // One watch interval later the normal state has looked again; the preview has never looked.
    const int before = permission_->preflights;
    runEventLoop(AppState::statusWatchInterval + milliseconds(400));
    EXPECT_EQ(previewPermission->preflights, 0);
    EXPECT_GT(permission_->preflights, before);
}

TEST_F(AppStateFlow, TheEditCallbackOpensTheEditorOnItsItem)
{
    make();
    const ThumbnailItem item{QUuid::createUuid(), QUrl::fromLocalFile(folder_.filePath("capture.webp")),
                             QImage(), 2.0, false};

    ASSERT_TRUE(thumbnails_->onEdit);
    thumbnails_->onEdit(item);
    ASSERT_EQ(editor_->opened.size(), 1u);
    EXPECT_EQ(editor_->opened[0], std::make_pair(item.url, 2.0));
    // Two saves in quick succession: the card shows the later, whichever reduction ends first.
    QImage first(3000, 2000, QImage::Format_RGBA8888_Premultiplied);
    first.fill(Qt::white);
    const int workBefore = BackgroundWork::instance().pending();
    editor_->onSave(first);
    editor_->onSave(QImage(30, 20, QImage::Format_RGBA8888_Premultiplied));
    ASSERT_TRUE(waitFor([&] { return BackgroundWork::instance().pending() == workBefore; }));
    ASSERT_EQ(thumbnails_->replaced.size(), 1u);
    EXPECT_EQ(thumbnails_->replaced[0], std::make_pair(item.id, QSize(30, 20)));

    // Once the state is gone the callbacks do nothing.
    const auto onSave = editor_->onSave;
    FakeThumbnailDisplay* thumbnails = thumbnails_;
    const auto onEdit = thumbnails->onEdit;
    state_.reset();
    EXPECT_NO_FATAL_FAILURE(onEdit(item));
}

TEST_F(AppStateFlow, WithoutAnEditorTheCardsOfferNoEdit)
{
    withEditor_ = false;
    make();
    EXPECT_FALSE(thumbnails_->onEdit);
}

TEST_F(AppStateFlow, SettersWriteTheirPreferenceAndKeepTheNumberAboveZero)
{
    make();
    int changes = 0;
    QObject::connect(state_.get(), &AppState::changed, [&changes] { ++changes; });
    state_->setNextNumber(-5);
    EXPECT_EQ(state_->nextNumber(), 1);
    EXPECT_EQ(preferences_.object("nextNumber"), PropertyList(std::int64_t{1}));
    state_->setFileNaming(FileNamingStyle::number);
    EXPECT_EQ(preferences_.object("fileNaming"), PropertyList("number"));
    state_->setFilePrefix("Trip ");
    EXPECT_EQ(preferences_.object("filePrefix"), PropertyList("Trip "));
    state_->setMicrophoneID(std::nullopt);
    EXPECT_FALSE(preferences_.object("microphoneID").has_value());
    state_->setFolder(folder_.filePath("elsewhere"));
    EXPECT_EQ(state_->library().folder(), folder_.filePath("elsewhere"));
    EXPECT_EQ(preferences_.object("folder"), PropertyList(folder_.filePath("elsewhere").toStdString()));
    EXPECT_EQ(changes, 3) << "a value that does not change announces nothing";
}

TEST_F(AppStateFlow, AMenuActionWaitsForTheMenuToClose)
{
    make();
    state_->performFromMenu(CaptureAction::area);
    runEventLoop(milliseconds(100));
    EXPECT_FALSE(log_.contains(captureCategory, "action area"));
    ASSERT_TRUE(waitFor([&] { return log_.contains(captureCategory, "action area"); }, seconds(2)));
}

} // namespace
} // namespace quillet
