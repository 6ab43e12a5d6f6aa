// The recording flow's answers to what the user did not ask for: a tool that died, movies left by a
// crash, and quitting in the middle of a recording.
#include "Quillet/app/AppState.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "tests/Quillet/app/FakeComponents.hpp"
#include "tests/support/LogCapture.hpp"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using brindle::PropertyList;

const QString captureCategory = QStringLiteral("app.quillet.Quillet.capture");

TEST(AppStateRecording, LeftoversADeadToolAndQuittingAllEndInSavedMoviesNumberedInTurn)
{
    QTemporaryDir folder;
    brindle::InMemoryPreferenceStore preferences;
    preferences.set(PropertyList(folder.path().toStdString()), "folder");
    preferences.set(PropertyList(std::string("number")), "fileNaming");
    preferences.set(PropertyList(std::string("Cap")), "filePrefix");
    preferences.set(PropertyList(std::int64_t(7)), "nextNumber");
    testing::FakeComponents fakes = testing::fakeComponents();
    testing::FakeRecorder& tool = *fakes.recorder;
    testing::FakeSelector& overlay = *fakes.selector;
    testing::FakeThumbnailDisplay& cards = *fakes.thumbnails;
    tool.leftoverMovies = {"/cache/a.mov", "/cache/b.mov"};
    testing::LogCapture log;
    AppState state(preferences, false, std::move(fakes.components));
    const auto captured = [&folder](const char* name) { return folder.filePath(name); };

    const std::vector<std::pair<QString, QString>> recovered = {{"/cache/a.mov", captured("Cap 00007.mp4")},
                                                                {"/cache/b.mov", captured("Cap 00008.mp4")}};
    EXPECT_EQ(tool.saves, recovered);
    ASSERT_EQ(cards.added.size(), 2);
    EXPECT_TRUE(cards.added.back().isVideo);

    const auto record = [&] {
        state.perform(CaptureAction::recording);
        overlay.finish(AreaSelector::Record{Rect{0, 0, 100, 100}, {}});
        ASSERT_TRUE(state.isRecording());
        EXPECT_EQ(state.status(), AppStatus::recording);
    };
    record();
    tool.onEnded(); // the tool died
    EXPECT_FALSE(state.isRecording());
    EXPECT_EQ(tool.stops, std::vector<QString>{captured("Cap 00009.mp4")});
    EXPECT_EQ(cards.added.size(), 3);

    record();
    tool.holdStop = true;
    QTimer::singleShot(50ms, [&tool] { tool.heldStop(); });
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    EXPECT_EQ(tool.stops.size(), 2) << "stopped on the way out";
    EXPECT_EQ(cards.added.size(), 4) << "and saved before quitting went on";
    const auto texts = log.texts(captureCategory);
    for (const char* expected :
         {"recording started", "recording stopped", "saving the recording before quitting"}) {
        EXPECT_NE(std::find(texts.begin(), texts.end(), expected), texts.end()) << expected;
    }
}

} // namespace
} // namespace quillet
