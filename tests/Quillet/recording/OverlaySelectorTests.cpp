// The area selector driven through its input, as its overlay windows hand it on, on the offscreen
// screen; and the geometry that turns a drag on a screen into the area recorded.
#include "Quillet/recording/Microphones.hpp"
#include "Quillet/recording/OverlaySelector.hpp"
#include "Quillet/recording/SelectionGeometry.hpp"
#include "Quillet/recording/SelectionView.hpp"

#include "tests/support/WaitFor.hpp"

#include <QElapsedTimer>
#include <QMenu>

#include <gtest/gtest.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;
using Result = AreaSelector::Result;
using Options = Recorder::Options;

TEST(SelectionGeometry, ADragRecordsWholePointsInsideItsScreenAndASmallOneTheWholeScreen)
{
    const QSize screen(1280, 900);
    struct Case {
        QPointF start, end;
        QRect recorded;
    };
    const Case cases[] = {
        {{100, 100}, {300, 300}, {100, 100, 200, 200}},
        {{300.6, 300.2}, {100.4, 100.9}, {100, 100, 201, 201}},
        {{5, 5}, {5, 5}, {0, 0, 1280, 900}},     // a click
        {{10, 10}, {40, 20}, {0, 0, 1280, 900}}, // 30 × 10
        {{1200, 800}, {5000, -40}, {1200, 0, 80, 800}},
    };
    for (const auto& c : cases) {
        const QRect area = SelectionGeometry::recordedArea(SelectionGeometry::clamped(c.start, screen),
                                                           SelectionGeometry::clamped(c.end, screen), screen);
        EXPECT_EQ(area, c.recorded) << c.end.x() << "," << c.end.y();
    }
    // A screen right of a main screen of 1440 × 900, their top edges aligned: the program measures
    // from the main screen's bottom-left corner, y up.
    const Rect global =
        SelectionGeometry::programRect({100, 100, 200, 200}, {1440, 0, 1280, 900}, {0, 0, 1440, 900});
    EXPECT_EQ(global, (Rect{1540, 600, 200, 200}));
}

class OverlaySelectorTest : public ::testing::Test {
protected:
    OverlaySelector& selector(AudioAuthorization authorization = AudioAuthorization::authorized)
    {
        authorization_ = authorization;
        selector_ = std::make_unique<OverlaySelector>(
            *microphones, OverlaySelector::Platform{[this] { return authorization_; }, [this] { ++beeps; },
                                                    [] { return true; }});
        return *selector_;
    }

    void open(const Options& options = {})
    {
        results.clear();
        selector_->begin(options, [this](const Result& result) { results.push_back(result); });
        ASSERT_TRUE(selector_->isOpen());
        view()->grab(); // draws it, placing the pills
    }

    [[nodiscard]] SelectionView* view() const { return selector_->views().front(); }
    [[nodiscard]] QPointF global(QPointF local) const { return local + view()->geometry().topLeft(); }

    void click(QPointF local)
    {
        const QPointF at = global(local);
        selector_->pressed(at);
        selector_->released(at);
    }

    // The selector's result, waited for.
    Result result()
    {
        EXPECT_TRUE(testing::waitFor([this] { return !results.empty(); }));
        return results.empty() ? Result(AreaSelector::Cancelled{}) : results.front();
    }

    std::unique_ptr<FixedMicrophones> microphones = std::make_unique<FixedMicrophones>();
    std::vector<Result> results;
    int beeps = 0;

private:
    AudioAuthorization authorization_ = AudioAuthorization::authorized;
    std::unique_ptr<OverlaySelector> selector_;
};

TEST_F(OverlaySelectorTest, ADragRecordsItsAreaWithTheOptionsAfterTheOverlaysHaveGoneAndEscapeCancels)
{
    auto& areaSelector = selector();
    open({false, QString("kept"), true});
    const QRect screen = view()->geometry();
    click(view()->clicksPill().center());
    EXPECT_FALSE(areaSelector.options().showClicks) << "a click on the pill switches it and selects nothing";
    EXPECT_TRUE(areaSelector.isOpen());

    QElapsedTimer sinceRelease;
    areaSelector.pressed(global({20, 30}));
    areaSelector.moved(global({100, 100}));
    EXPECT_EQ(areaSelector.selectionOn(view()), QRect(20, 30, 80, 70));
    const QPointF overPill = view()->clicksPill().center();
    areaSelector.released(global(overPill)); // ending over a pill is still a drag
    sinceRelease.start();
    EXPECT_FALSE(areaSelector.isOpen());
    EXPECT_TRUE(results.empty()) << "not before the pause";
    const Result recorded = result();
    const auto* record = std::get_if<AreaSelector::Record>(&recorded);
    EXPECT_GE(sinceRelease.elapsed(), OverlaySelector::completionDelay.count() - 5);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->options, (Options{false, QString("kept"), false}));
    EXPECT_DOUBLE_EQ(record->rect.minX(), 20);
    EXPECT_DOUBLE_EQ(record->rect.width(), std::ceil(overPill.x()) - 20);

    open();
    click({50, 50});
    const Result clicked = result();
    const auto* whole = std::get_if<AreaSelector::Record>(&clicked);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole->rect, (Rect{0, 0, double(screen.width()), double(screen.height())}));

    open();
    areaSelector.begin({}, [](const Result&) { FAIL() << "a second begin is ignored"; });
    areaSelector.cancel();
    EXPECT_TRUE(std::holds_alternative<AreaSelector::Cancelled>(result()));
}

TEST_F(OverlaySelectorTest, TheMicrophonePillFollowsTheAudioPermission)
{
    microphones = std::make_unique<FixedMicrophones>(
        std::vector<Microphones::Device>{{"usb_mic", "USB microphone"}}, "Built-in");
    struct Case {
        AudioAuthorization authorization;
        bool isStillOpen;
        bool isOn;
        int beeps;
    };
    const Case cases[] = {
        {AudioAuthorization::authorized, true, true, 0},
        {AudioAuthorization::denied, true, false, 1},
        {AudioAuthorization::restricted, true, false, 1},
        {AudioAuthorization::notDetermined, false, false, 0},
    };
    for (const auto& c : cases) {
        beeps = 0;
        auto& areaSelector = selector(c.authorization);
        open({false, std::nullopt, true});
        click(view()->microphonePill().center());
        EXPECT_EQ(areaSelector.isOpen(), c.isStillOpen);
        EXPECT_EQ(beeps, c.beeps);
        if (c.isStillOpen) {
            EXPECT_EQ(areaSelector.options().microphone, c.isOn);
            EXPECT_EQ(areaSelector.options().microphoneID,
                      c.isOn ? std::optional<QString>("usb_mic") : std::nullopt);
            view()->grab();
            click(view()->microphonePill().center());
            EXPECT_FALSE(areaSelector.options().microphone) << "a second click turns it off";
            areaSelector.cancel();
            continue;
        }
        const Result requested = result();
        const auto* request = std::get_if<AreaSelector::NeedsMicrophonePermission>(&requested);
        ASSERT_NE(request, nullptr);
        EXPECT_EQ(request->options, (Options{true, QString("usb_mic"), true}));
    }
}

TEST_F(OverlaySelectorTest, WithTwoMicrophonesAMenuChecksTheChosenOrTheFirstOrNone)
{
    microphones = std::make_unique<FixedMicrophones>(
        std::vector<Microphones::Device>{{"usb_mic", "USB microphone"}, {"headset", "Headset"}},
        "USB microphone");
    struct Case {
        bool isOn;
        const char* chosen;
        QStringList checked;
    };
    const Case cases[] = {
        {true, "headset", {"Headset"}},
        {true, "unplugged", {"USB microphone"}},
        {false, "headset", {"No microphone"}},
    };
    auto& areaSelector = selector();
    for (const auto& c : cases) {
        open({c.isOn, QString(c.chosen), true});
        click(view()->microphonePill().center());
        QMenu* menu = areaSelector.microphoneMenu();
        ASSERT_NE(menu, nullptr);
        QStringList checked;
        for (const QAction* action : menu->actions()) {
            if (action->isChecked()) {
                checked << action->text();
            }
        }
        EXPECT_EQ(checked, c.checked);
        menu->actions().last()->trigger();
        EXPECT_EQ(areaSelector.options(), (Options{true, QString("headset"), true}));
        menu->actions().first()->trigger();
        EXPECT_FALSE(areaSelector.options().microphone);
        EXPECT_EQ(areaSelector.microphoneName(), "Headset") << "the chosen one, still known while off";
        areaSelector.cancel();
        EXPECT_TRUE(testing::waitFor([&] { return areaSelector.microphoneMenu() == nullptr; }));
    }
}

} // namespace
} // namespace quillet
