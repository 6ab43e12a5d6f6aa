// The recording flow's naming: recovered movies by when they were recorded, and a recording that
// cannot be named is stopped all the same.
#include "Quillet/common/Settings.hpp"
#include "Quillet/library/CaptureNames.hpp"
#include "Quillet/recording/RecordingFlow.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "tests/Quillet/recording/FakeRecorder.hpp"
#include "tests/Quillet/recording/FakeSelector.hpp"
#include "tests/support/LogCapture.hpp"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

#include <algorithm>
#include <gtest/gtest.h>

namespace quillet {
namespace {

using brindle::PropertyList;

const QString captureCategory = QStringLiteral("app.quillet.Quillet.capture");

struct Flow {
    explicit Flow(const QString& folder)
    {
        preferences.set(PropertyList(folder.toStdString()), "folder");
        settings = std::make_unique<Settings>(preferences);
        names = std::make_unique<CaptureNames>(*settings, [] { return std::chrono::system_clock::now(); });
        auto ownedRecorder = std::make_unique<testing::FakeRecorder>();
        auto ownedSelector = std::make_unique<testing::FakeSelector>();
        recorder = ownedRecorder.get();
        selector = ownedSelector.get();
        flow = std::make_unique<RecordingFlow>(std::move(ownedRecorder), std::move(ownedSelector), *settings,
                                               *names, [](auto answer) { answer(true); });
    }

    brindle::InMemoryPreferenceStore preferences;
    std::unique_ptr<Settings> settings;
    std::unique_ptr<CaptureNames> names;
    testing::FakeRecorder* recorder = nullptr;
    testing::FakeSelector* selector = nullptr;
    std::unique_ptr<RecordingFlow> flow;
};

TEST(RecordingFlow, RecoveredMoviesAreNamedByTheirRecordingAndAnUnnamableOneIsStoppedAllTheSame)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    Flow recovering(folder.path());
    // Noon UTC: the same day in any time zone.
    const QDateTime recorded(QDate(2025, 3, 4), QTime(12, 6, 7), QTimeZone::utc());
    recovering.recorder->leftoverMovies = {"/cache/a.mov"};
    recovering.recorder->leftoverStarts = {{"/cache/a.mov", recorded}};
    recovering.flow->activate();
    ASSERT_EQ(recovering.recorder->saves.size(), 1);
    const QString named = recovering.recorder->saves.front().second;
    const QString day = QStringLiteral("Screen Recording 2025-03-04 at ");
    EXPECT_TRUE(QFileInfo(named).fileName().startsWith(day)) << named.toStdString();
    // Someone takes that name before the movie is written: the next one keeps the movie's date.
    QFile taken(named);
    ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
    ASSERT_TRUE(recovering.recorder->rename);
    const auto another = recovering.recorder->rename(named);
    ASSERT_TRUE(another.has_value());
    EXPECT_NE(*another, named);
    EXPECT_TRUE(QFileInfo(*another).fileName().startsWith(day)) << another->toStdString();

    // A file where the folder should be: no name can be made.
    testing::LogCapture log;
    Flow unnamable(folder.filePath(QFileInfo(named).fileName()) + "/sub");
    unnamable.flow->activate();
    unnamable.flow->select();
    unnamable.selector->finish(AreaSelector::Record{Rect{0, 0, 100, 100}, {}});
    ASSERT_TRUE(unnamable.flow->isRecording());
    EXPECT_FALSE(recovering.flow->lastRecordingNotSaved());
    unnamable.recorder->stopGivesMovie = false;
    unnamable.recorder->onEnded(); // the tool died
    EXPECT_FALSE(unnamable.flow->isRecording());
    EXPECT_EQ(unnamable.recorder->stops, std::vector<QString>{QString()}) << "stopped, left for recovery";
    EXPECT_TRUE(unnamable.flow->lastRecordingNotSaved()) << "the user is told";
    const auto texts = log.texts(captureCategory);
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const QString& text) {
        return text.startsWith("could not save the recording: ");
    }));
}

} // namespace
} // namespace quillet
