#include "Quillet/thumbnails/CircleButton.hpp"
#include "Quillet/thumbnails/ThumbnailCard.hpp"
#include "Quillet/thumbnails/ThumbnailEditButton.hpp"
#include "Quillet/thumbnails/ThumbnailPanel.hpp"
#include "Quillet/thumbnails/ThumbnailStackView.hpp"
#include "Quillet/thumbnails/Thumbnails.hpp"

#include "tests/support/LogCapture.hpp"
#include "tests/support/WaitFor.hpp"

#include <QDir>
#include <QEnterEvent>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using Time = std::chrono::steady_clock::time_point;

// A clock the test moves by hand.
struct ManualClock {
    Time now{std::chrono::hours(1)};
    [[nodiscard]] Thumbnails::Clock function()
    {
        return [this] { return now; };
    }
    void advance(std::chrono::duration<double> by) { now += std::chrono::duration_cast<Time::duration>(by); }
};

[[nodiscard]] QImage filledImage(int width, int height, QColor color = Qt::red)
{
    QImage image(width, height, QImage::Format_RGBA8888_Premultiplied);
    image.fill(color);
    return image;
}

[[nodiscard]] QUrl fileUrl(int number)
{
    return QUrl::fromLocalFile(QStringLiteral("/captures/Shot %1.webp").arg(number));
}

[[nodiscard]] std::vector<QUrl> urlsOf(const Thumbnails& thumbnails)
{
    std::vector<QUrl> urls;
    for (const auto& item : thumbnails.items()) {
        urls.push_back(item.url);
    }
    return urls;
}

void hover(QWidget& widget)
{
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(&widget, &enter);
}

[[nodiscard]] CircleButton* circleButton(const ThumbnailCard& card, const std::string& symbol)
{
    for (auto* button : card.findChildren<CircleButton*>()) {
        if (button->symbol() == symbol) {
            return button;
        }
    }
    return nullptr;
}

[[nodiscard]] QRect availableGeometry()
{
    return QGuiApplication::primaryScreen()->availableGeometry();
}

class ThumbnailsTest : public ::testing::Test {
protected:
    ManualClock clock;
    Thumbnails thumbnails{clock.function()};

    void addStill(int number) { thumbnails.add(fileUrl(number), filledImage(64, 40), 2.0, false); }
    void settle()
    {
        ASSERT_TRUE(testing::waitFor([&] { return !thumbnails.panel()->stackView().isAnimating(); }));
    }
};

struct FrameCase {
    int count;
    int height;
};

class PanelFrame : public ::testing::TestWithParam<FrameCase> {};

TEST_P(PanelFrame, IsFlushWithTheBottomRightOfTheAvailableArea)
{
    const QRect available(1920, 24, 1280, 776); // a second screen with a top bar
    const QRect frame = ThumbnailPanel::frameFor(available, GetParam().count);
    EXPECT_EQ(frame.width(), 252);
    EXPECT_EQ(frame.height(), GetParam().height);
    EXPECT_EQ(frame.right(), available.right());
    EXPECT_EQ(frame.bottom(), available.bottom());
}

INSTANTIATE_TEST_SUITE_P(Thumbnails, PanelFrame,
                         ::testing::Values(FrameCase{0, 32}, FrameCase{1, 170}, FrameCase{2, 318},
                                           FrameCase{3, 466}, FrameCase{4, 614}, FrameCase{5, 762}));

TEST_F(ThumbnailsTest, SixAddsKeepTheNewestFiveAndThePanelHeightForFive)
{
    for (int number = 1; number <= 6; ++number) {
        addStill(number);
    }
    EXPECT_EQ(urlsOf(thumbnails), (std::vector{fileUrl(2), fileUrl(3), fileUrl(4), fileUrl(5), fileUrl(6)}));

    ThumbnailPanel* panel = thumbnails.panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->frame(), ThumbnailPanel::frameFor(availableGeometry(), 5));
    EXPECT_EQ(panel->frame().height(), 762);
    settle();
    EXPECT_EQ(panel->geometry(), panel->frame());
    EXPECT_EQ(panel->stackView().cards().size(), 5u);

    // Every card that stayed keeps its own clock, even the one that moved up into the oldest's place.
    clock.advance(120.5s);
    thumbnails.tick();
    EXPECT_TRUE(thumbnails.items().empty());
}

TEST_F(ThumbnailsTest, RemovingTheLastCardHidesThePanelAndStopsTheTicker)
{
    addStill(1);
    ThumbnailPanel* panel = thumbnails.panel();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(thumbnails.isTicking());
    EXPECT_EQ(panel->frame().height(), 170);

    thumbnails.remove(QUuid::createUuid()); // not in the stack: nothing happens
    EXPECT_EQ(thumbnails.items().size(), 1u);

    thumbnails.remove(thumbnails.items().front().id);
    EXPECT_TRUE(thumbnails.items().empty());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(thumbnails.isTicking());
    EXPECT_EQ(thumbnails.panel(), panel); // kept for the next capture

    addStill(2);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(thumbnails.isTicking());
    EXPECT_EQ(thumbnails.panel(), panel);
}

TEST_F(ThumbnailsTest, AnUnhoveredCardLeavesAtTheFirstTickAfterTwoMinutes)
{
    addStill(1);
    clock.advance(120s);
    thumbnails.tick();
    EXPECT_EQ(thumbnails.items().size(), 1u);
    clock.advance(0.5s);
    thumbnails.tick();
    EXPECT_TRUE(thumbnails.items().empty());
    EXPECT_FALSE(thumbnails.panel()->isVisible());
    EXPECT_FALSE(thumbnails.isTicking());
}

TEST_F(ThumbnailsTest, HoveringPausesExpiryForEveryCard)
{
    addStill(1);
    clock.advance(60s);
    addStill(2);
    thumbnails.setHovering(true);
    for (int second = 0; second < 300; ++second) {
        clock.advance(1s);
        thumbnails.tick();
    }
    EXPECT_EQ(thumbnails.items().size(), 2u) << "nothing expires while the pointer rests on the stack";

    // Both cards were paused 300 s: the first leaves 420 s after it came, the second 480 s.
    thumbnails.setHovering(false);
    clock.advance(60s); // 420 s after the first add
    thumbnails.tick();
    EXPECT_EQ(thumbnails.items().size(), 2u);
    clock.advance(0.5s);
    thumbnails.tick();
    EXPECT_EQ(urlsOf(thumbnails), (std::vector{fileUrl(2)}));
    clock.advance(60s);
    thumbnails.tick();
    EXPECT_TRUE(thumbnails.items().empty());
}

TEST_F(ThumbnailsTest, ACardBeingDraggedOutDoesNotExpire)
{
    addStill(1);
    thumbnails.setDragging(true);
    for (int second = 0; second < 200; ++second) {
        clock.advance(1s);
        thumbnails.tick();
    }
    thumbnails.setDragging(false);
    EXPECT_EQ(thumbnails.items().size(), 1u);
    clock.advance(120s);
    thumbnails.tick();
    EXPECT_EQ(thumbnails.items().size(), 1u) << "the drag's 200 s do not count";
    clock.advance(1s);
    thumbnails.tick();
    EXPECT_TRUE(thumbnails.items().empty());
}

TEST_F(ThumbnailsTest, AnImageSavedForAnItemThatLeftChangesNothing)
{
    addStill(1);
    const QUuid gone = thumbnails.items().front().id;
    clock.advance(121s);
    thumbnails.tick();
    ASSERT_TRUE(thumbnails.items().empty());

    addStill(2);
    const std::vector<ThumbnailItem> before = thumbnails.items();
    int changes = 0;
    QObject::connect(&thumbnails, &Thumbnails::changed, [&] { ++changes; });
    thumbnails.replaceImage(gone, filledImage(2880, 1800, Qt::blue));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(thumbnails.items(), before);
}

TEST_F(ThumbnailsTest, AReplacedImageIsReducedAndKeepsThePlaceAndTheClock)
{
    addStill(1);
    clock.advance(100s);
    addStill(2);
    addStill(3);
    const ThumbnailItem middle = thumbnails.items()[1];
    thumbnails.replaceImage(middle.id, filledImage(2880, 1800, Qt::blue));

    const ThumbnailItem& replaced = thumbnails.items()[1];
    EXPECT_EQ(replaced.id, middle.id);
    EXPECT_NE(replaced, middle);
    EXPECT_EQ(replaced.image.size(), QSize(440, 275));
    EXPECT_EQ(replaced.image.pixelColor(10, 10), QColor(Qt::blue));

    // The second card still leaves 120 s after it was added, not after the edit.
    clock.advance(120.5s);
    thumbnails.tick();
    EXPECT_TRUE(thumbnails.items().empty());
}

TEST_F(ThumbnailsTest, TheTickerRunsOnceASecondWhileCardsAreShown)
{
    addStill(1);
    clock.advance(121s);
    EXPECT_TRUE(testing::waitFor([&] { return thumbnails.items().empty(); }, 3s));
    EXPECT_FALSE(thumbnails.isTicking());
    EXPECT_FALSE(thumbnails.panel()->isVisible());
}

TEST_F(ThumbnailsTest, HidingThePanelEndsTheHover)
{
    addStill(1);
    thumbnails.setHovering(true);
    thumbnails.remove(thumbnails.items().front().id);
    EXPECT_FALSE(thumbnails.isHovering());
}

struct ReductionCase {
    QSize capture;
    QSize shown;
};

class ThumbnailReduction : public ::testing::TestWithParam<ReductionCase> {};

TEST_P(ThumbnailReduction, FitsTheLongerSideInto440Pixels)
{
    const QImage capture =
        filledImage(GetParam().capture.width(), GetParam().capture.height(), QColor(20, 200, 90));
    const QImage shown = Thumbnails::thumbnail(capture);
    EXPECT_EQ(shown.size(), GetParam().shown);
    EXPECT_EQ(shown.pixelColor(shown.width() / 2, shown.height() / 2), QColor(20, 200, 90));
    if (GetParam().capture == GetParam().shown) {
        EXPECT_EQ(shown.cacheKey(), capture.cacheKey()) << "a capture that fits is shown unreduced";
    }
}

INSTANTIATE_TEST_SUITE_P(Thumbnails, ThumbnailReduction,
                         ::testing::Values(ReductionCase{{2880, 1800}, {440, 275}},
                                           ReductionCase{{1800, 2880}, {275, 440}},
                                           ReductionCase{{400, 300}, {400, 300}},
                                           ReductionCase{{440, 100}, {440, 100}},
                                           ReductionCase{{10000, 1}, {440, 1}}));

TEST(ThumbnailItem, EqualOnlyWithTheSameIdAndTheVerySameImage)
{
    const ThumbnailItem item{QUuid::createUuid(), fileUrl(1), filledImage(10, 10), 1.0, false};
    ThumbnailItem copy = item;
    EXPECT_EQ(copy, item);
    copy.image = filledImage(10, 10); // equal pixels, another image
    EXPECT_NE(copy, item);
    ThumbnailItem other = item;
    other.id = QUuid::createUuid();
    EXPECT_NE(other, item);
}

TEST_F(ThumbnailsTest, EditIsOfferedForStillsOnlyOnceSomethingCanEdit)
{
    addStill(1);
    thumbnails.add(QUrl::fromLocalFile("/captures/Recording.mp4"), filledImage(64, 40), 1.0, true);
    settle();
    const auto cards = thumbnails.panel()->stackView().cards();
    ASSERT_EQ(cards.size(), 2u);
    for (auto* card : cards) {
        hover(*card);
        EXPECT_TRUE(card->isHovering());
        EXPECT_EQ(card->findChild<ThumbnailEditButton*>(), nullptr) << "no editor yet";
    }

    std::vector<QUrl> edited;
    thumbnails.setOnEdit([&](const ThumbnailItem& item) { edited.push_back(item.url); });
    auto* stillEdit = cards[0]->findChild<ThumbnailEditButton*>();
    ASSERT_NE(stillEdit, nullptr);
    EXPECT_TRUE(stillEdit->isVisible());
    EXPECT_EQ(cards[1]->findChild<ThumbnailEditButton*>(), nullptr) << "recordings show the play symbol";
    stillEdit->click();
    EXPECT_EQ(edited, std::vector{fileUrl(1)});
}

TEST_F(ThumbnailsTest, DismissRemovesTheCardAndLeavesTheFile)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("Shot.webp");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    thumbnails.add(QUrl::fromLocalFile(path), filledImage(64, 40), 1.0, false);
    settle();
    auto* card = thumbnails.panel()->stackView().cards().front();
    hover(*card);
    CircleButton* dismiss = circleButton(*card, "xmark");
    ASSERT_NE(dismiss, nullptr);
    EXPECT_EQ(dismiss->toolTip(), "Dismiss");
    EXPECT_EQ(circleButton(*card, "trash")->toolTip(), "Move to Trash");
    EXPECT_EQ(card->toolTip(), "Shot.webp");
    dismiss->click();
    EXPECT_TRUE(thumbnails.items().empty());
    EXPECT_TRUE(QFile::exists(path));
}

TEST_F(ThumbnailsTest, TrashKeepsTheCardOfAFileThatCannotBeTrashed)
{
    QTemporaryDir folder;
    const QByteArray savedDataHome = qgetenv("XDG_DATA_HOME");
    QFile blocker(folder.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_DATA_HOME", folder.filePath("blocker/data").toUtf8());

    const QString path = folder.filePath("Shot.webp");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    thumbnails.add(QUrl::fromLocalFile(path), filledImage(64, 40), 1.0, false);

    testing::LogCapture log;
    thumbnails.trash(thumbnails.items().front());
    qputenv("XDG_DATA_HOME", savedDataHome);

    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(thumbnails.items().size(), 1u);
    bool logged = false;
    for (const auto& message : log.messages()) {
        logged = logged || message.text.startsWith("could not move to Trash: ");
    }
    EXPECT_TRUE(logged);
}

TEST_F(ThumbnailsTest, TrashRunsTheInstalledActionInsteadOfTheDefault)
{
    addStill(1);
    std::vector<QUuid> trashed;
    thumbnails.setOnTrash([&](const ThumbnailItem& item) { trashed.push_back(item.id); });
    const QUuid id = thumbnails.items().front().id;
    thumbnails.trash(thumbnails.items().front());
    EXPECT_EQ(trashed, std::vector{id});
    EXPECT_EQ(thumbnails.items().size(), 1u) << "the installed action decides about the card";
}

} // namespace
} // namespace quillet

namespace quillet {
namespace {

// The card of a still still being written shows the capture at once, offers only Dismiss, and
// offers everything once the file is complete.
TEST_F(ThumbnailsTest, ASavingCardOffersOnlyDismissUntilItsFileIsComplete)
{
    std::vector<QUrl> edited;
    thumbnails.setOnEdit([&](const ThumbnailItem& item) { edited.push_back(item.url); });
    std::vector<QUrl> trashed;
    thumbnails.setOnTrash([&](const ThumbnailItem& item) { trashed.push_back(item.url); });
    const QUuid id = thumbnails.addSaving(filledImage(880, 500), 2.0);
    settle();
    ASSERT_EQ(thumbnails.items().size(), 1u);
    EXPECT_TRUE(thumbnails.items().front().isSaving);
    EXPECT_EQ(thumbnails.items().front().image.size(), QSize(440, 250)) << "reduced from the captured pixels";
    auto* card = thumbnails.panel()->stackView().cards().front();
    hover(*card);
    EXPECT_TRUE(circleButton(*card, "xmark")->isVisible());
    EXPECT_FALSE(circleButton(*card, "trash")->isVisible());
    EXPECT_EQ(card->findChild<ThumbnailEditButton*>(), nullptr);
    EXPECT_EQ(card->toolTip(), "Saving\u2026");
    thumbnails.edit(thumbnails.items().front());
    thumbnails.trash(thumbnails.items().front());
    EXPECT_TRUE(edited.empty() && trashed.empty()) << "nothing acts on a file that is not there yet";

    thumbnails.finishSaving(id, fileUrl(7));
    settle();
    ASSERT_EQ(thumbnails.items().size(), 1u);
    EXPECT_FALSE(thumbnails.items().front().isSaving);
    EXPECT_EQ(urlsOf(thumbnails), std::vector{fileUrl(7)});
    card = thumbnails.panel()->stackView().cards().front();
    hover(*card);
    EXPECT_TRUE(circleButton(*card, "trash")->isVisible());
    ASSERT_NE(card->findChild<ThumbnailEditButton*>(), nullptr);
    card->findChild<ThumbnailEditButton*>()->click();
    EXPECT_EQ(edited, std::vector{fileUrl(7)});

    // A failed save takes its card away; a file finished for a card that left changes nothing.
    const QUuid failed = thumbnails.addSaving(filledImage(64, 40), 1.0);
    thumbnails.remove(failed);
    thumbnails.finishSaving(failed, fileUrl(8));
    EXPECT_EQ(urlsOf(thumbnails), std::vector{fileUrl(7)});
}

} // namespace
} // namespace quillet
