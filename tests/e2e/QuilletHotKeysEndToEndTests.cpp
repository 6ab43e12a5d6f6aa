// The program as users meet it: started in its menu-bar mode on the test's X server with a fresh home,
// driven by its global shortcuts.
#include "Brindle/KeyboardPositions.hpp"
#include "Brindle/XcbHotKeys.hpp"
#include "Quillet/app/AppState.hpp"
#include "Quillet/shortcuts/CaptureHotKeys.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "tests/Quillet/app/FakeComponents.hpp"
#include "tests/Quillet/capture/FakeCaptureTool.hpp"
#include "tests/support/ChildProcess.hpp"
#include "tests/support/OtherXClient.hpp"
#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QDirIterator>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>

#include <csignal>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using testing::waitFor;

constexpr std::uint16_t superShift = 0x41; // Mod4 | Shift

void xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start("xdotool", arguments);
    ASSERT_TRUE(process.waitForFinished(10'000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

std::uint8_t xKeyCode(std::uint32_t virtualKeyCode)
{
    const auto positions = brindle::KeyboardPositions::current();
    return static_cast<std::uint8_t>(positions.nativeKeyCode(virtualKeyCode).value_or(0));
}

// Width and height as webpinfo reads them from the file; nothing when webpinfo refuses it.
std::optional<QSize> webpSize(const QString& path)
{
    QProcess webpinfo;
    webpinfo.start("webpinfo", {path});
    if (!webpinfo.waitForFinished(10'000) || webpinfo.exitCode() != 0) {
        return std::nullopt;
    }
    const QString report = QString::fromUtf8(webpinfo.readAllStandardOutput());
    const auto width = QRegularExpression(R"(Width: (\d+))").match(report);
    const auto height = QRegularExpression(R"(Height: (\d+))").match(report);
    if (!width.hasMatch() || !height.hasMatch()) {
        return std::nullopt;
    }
    return QSize(width.captured(1).toInt(), height.captured(1).toInt());
}

class QuilletMenuBarMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home_.isValid());
        ASSERT_TRUE(QDir().mkpath(runtimeFolder()));
        QFile::setPermissions(runtimeFolder(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        start();
    }

    void start()
    {
        auto environment =
            ChildProcess::homeEnvironment(qgetenv("DISPLAY").toStdString(), home_.path().toStdString());
        environment["XDG_RUNTIME_DIR"] = runtimeFolder().toStdString();
        // ctest runs from the build folder, where the programs are in bin/.
        const char* binaries = std::getenv("QUILLET_BIN_DIR");
        const std::string program = std::string(binaries ? binaries : "bin") + "/quillet";
        quillet_ = std::make_unique<ChildProcess>(std::vector<std::string>{program}, environment);
        // Ready once it holds its shortcuts: another client can no longer take them.
        ASSERT_TRUE(waitFor([this] { return other_.grabbable(xKeyCode(21), {superShift}) == 0; }, 15s))
            << "the program never registered ⇧⌘4";
    }

    [[nodiscard]] QString runtimeFolder() const { return home_.filePath("run"); }

    // The capture tool's images in the private temporary folder, at any depth.
    [[nodiscard]] int temporaryImages() const { return entries({"*.png"}, QDir::Files).size(); }

    // Paths under the runtime folder, at any depth, relative to it.
    [[nodiscard]] QStringList entries(const QStringList& patterns, QDir::Filters kind) const
    {
        QStringList found;
        QDirIterator files(runtimeFolder(), patterns, kind | QDir::Hidden | QDir::NoDotAndDotDot,
                           QDirIterator::Subdirectories);
        while (files.hasNext()) {
            found.append(QDir(runtimeFolder()).relativeFilePath(files.next()));
        }
        return found;
    }

    void TearDown() override
    {
        if (quillet_) {
            EXPECT_TRUE(quillet_->isRunning()) << "the program ended by itself";
        }
        quillet_.reset();
    }

    [[nodiscard]] QStringList captures() const
    {
        return QDir(home_.filePath("Screenshots")).entryList({"*.webp"}, QDir::Files, QDir::Name);
    }

    // Waits for one more capture than `before` and returns its path.
    [[nodiscard]] QString nextCapture(qsizetype before) const
    {
        EXPECT_TRUE(waitFor([&] { return captures().size() > before; }, 10s)) << "no capture was saved";
        const QStringList files = captures();
        return files.size() > before ? QDir(home_.filePath("Screenshots")).filePath(files.last()) : QString();
    }

    QTemporaryDir home_;
    testing::OtherXClient other_;
    std::unique_ptr<ChildProcess> quillet_;
};

TEST_F(QuilletMenuBarMode, ShiftSuper3SavesTheWholeScreenAsWebPNamedByDate)
{
    xdotool({"key", "super+shift+3"});
    const QString path = nextCapture(0);
    ASSERT_FALSE(path.isEmpty());
    EXPECT_TRUE(QRegularExpression(R"(^Screenshot \d{4}-\d{2}-\d{2} at \d{2}\.\d{2}\.\d{2}\.webp$)")
                    .match(QFileInfo(path).fileName())
                    .hasMatch())
        << QFileInfo(path).fileName().toStdString();
    EXPECT_EQ(webpSize(path), QGuiApplication::primaryScreen()->size());
}

TEST_F(QuilletMenuBarMode, LogoutCtrlCAndAClosedTerminalQuitNormally)
{
    for (const int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(number));
        if (!quillet_) {
            start();
        }
        ASSERT_TRUE(quillet_->signal(number));
        const auto result = quillet_->wait(10s);
        EXPECT_EQ(result.exitCode, 0) << result.standardError;
        EXPECT_NE(result.standardError.find("quitting on signal"), std::string::npos) << result.standardError;
        quillet_.reset();
        EXPECT_TRUE(waitFor([this] { return other_.grabbable(xKeyCode(21), {superShift}) == 1; }, 5s))
            << "the shortcuts were given back";
    }
}

TEST_F(QuilletMenuBarMode, ACaptureUnderWayWhenTheSessionEndsIsSavedWholeFirst)
{
    xdotool({"key", "super+shift+3"});
    // The capture has begun once its temporary image exists (or, on a fast machine, its file).
    ASSERT_TRUE(waitFor([this] { return temporaryImages() > 0 || !captures().isEmpty(); }, 10s));
    // Where the README says: one folder of this copy's under $XDG_RUNTIME_DIR/quillet.
    const QStringList folders = entries({"quillet-*"}, QDir::Dirs);
    EXPECT_EQ(folders.size(), 1);
    for (const QString& folder : folders) {
        EXPECT_TRUE(QRegularExpression(R"(^quillet/quillet-\d+-\w+$)").match(folder).hasMatch())
            << folder.toStdString();
    }
    ASSERT_TRUE(quillet_->signal(SIGTERM));
    const auto result = quillet_->wait(10s);
    quillet_.reset();
    EXPECT_EQ(result.exitCode, 0) << result.standardError;
    ASSERT_EQ(captures().size(), 1) << result.standardError;
    EXPECT_EQ(webpSize(QDir(home_.filePath("Screenshots")).filePath(captures()[0])),
              QGuiApplication::primaryScreen()->size());
    EXPECT_EQ(QDir(home_.filePath("Screenshots")).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file beside it";
    EXPECT_EQ(temporaryImages(), 0);
    EXPECT_EQ(entries({"quillet-*"}, QDir::Dirs), QStringList()) << "a temporary folder was left behind";
}

TEST_F(QuilletMenuBarMode, ShiftSuper4ThenADragSavesTheDraggedArea)
{
    xdotool({"key", "super+shift+4"});
    ASSERT_TRUE(waitFor([this] { return other_.isInputGrabbedElsewhere(); }, 15s)) << "no picker came up";
    xdotool({"mousemove", "100", "120", "mousedown", "1", "sleep", "0.1", "mousemove", "200", "200", "sleep",
             "0.1", "mousemove", "340", "300", "sleep", "0.1", "mouseup", "1"});
    const QString path = nextCapture(0);
    ASSERT_FALSE(path.isEmpty());
    EXPECT_EQ(webpSize(path), QSize(240, 180));
}

// The same program state in this process, with its real hot keys and a stand-in capture tool, so an
// edit can be opened without a menu.
class HotKeysWhileEditing : public ::testing::Test {
protected:
    void SetUp() override
    {
        tool_.setImage(QImage(32, 24, QImage::Format_RGB32));
        preferences_.set(brindle::PropertyList(folder_.path().toStdString()), "folder");
        testing::FakeComponents fakes = testing::fakeComponents(tool_.program());
        thumbnails_ = fakes.thumbnails;
        AppState::Components& components = fakes.components;
        components.hotKeys = std::make_unique<CaptureHotKeys>(dispatcher_);
        components.systemShortcutsOn = [] { return false; };
        state_ = std::make_unique<AppState>(preferences_, false, std::move(components));
    }

    [[nodiscard]] bool toolRan() const { return !tool_.arguments().isEmpty(); }

    QTemporaryDir folder_;
    testing::FakeCaptureTool tool_;
    brindle::InMemoryPreferenceStore preferences_;
    brindle::HotKeyDispatcher dispatcher_{std::make_unique<brindle::XcbHotKeys>()};
    std::unique_ptr<AppState> state_;
    testing::FakeThumbnailDisplay* thumbnails_ = nullptr;
};

TEST_F(HotKeysWhileEditing, TheOldCombinationCapturesNothingUntilTheEditEnds)
{
    ASSERT_TRUE(state_->failedShortcuts().empty());
    state_->beginEditingShortcut(CaptureAction::screen);
    xdotool({"key", "super+shift+3"});
    testing::runEventLoop(1500ms);
    EXPECT_FALSE(toolRan());
    EXPECT_EQ(state_->editingShortcut(), CaptureAction::screen);

    state_->endEditingShortcut();
    xdotool({"key", "super+shift+3"});
    EXPECT_TRUE(waitFor([this] { return thumbnails_->finished() == 1; }, 10s))
        << "captured once the edit ended";
}

} // namespace
} // namespace quillet
