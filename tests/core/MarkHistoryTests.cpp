#include "core/MarkHistory.hpp"

#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace quillet {
namespace {

Mark numberMark(std::int64_t value, AnnotationColor color = AnnotationColor::pink)
{
    return {Annotation::number({10.0 * static_cast<double>(value), 10}, value), color};
}

const Mark arrowMark{Annotation::arrow({0, 0}, {40, 0}), AnnotationColor::red};
const Mark highlightMark{Annotation::highlight({0, 0, 20, 20}), AnnotationColor::pink};

std::vector<std::int64_t> numbersOf(const MarkHistory& history)
{
    std::vector<std::int64_t> values;
    for (const Mark& mark : history.marks()) {
        if (const auto* number = mark.annotation.as<Annotation::Number>()) {
            values.push_back(number->value);
        }
    }
    return values;
}

TEST(MarkHistory, StartsEmpty)
{
    const MarkHistory history;
    EXPECT_TRUE(history.marks().empty());
    EXPECT_FALSE(history.canUndo());
    EXPECT_EQ(history, MarkHistory());
}

TEST(MarkHistory, RefusesEmptyMarksWithoutASnapshot)
{
    MarkHistory history;
    history.add({Annotation::arrow({0, 0}, {3.9, 0}), AnnotationColor::pink});
    history.add({Annotation::text({0, 0}, " \n "), AnnotationColor::pink});
    history.add({Annotation::redact({0, 0, 20, 3}), AnnotationColor::pink});
    EXPECT_TRUE(history.marks().empty());
    EXPECT_FALSE(history.canUndo());
}

TEST(MarkHistory, UndoesAddsOneAtATimeAndStopsAtTheStart)
{
    MarkHistory history;
    history.add(arrowMark);
    history.add(highlightMark);
    history.add(numberMark(1));
    EXPECT_EQ(history.marks(), (std::vector<Mark>{arrowMark, highlightMark, numberMark(1)}));

    history.undo();
    EXPECT_EQ(history.marks(), (std::vector<Mark>{arrowMark, highlightMark}));
    history.undo();
    history.undo();
    EXPECT_TRUE(history.marks().empty());
    EXPECT_FALSE(history.canUndo());
    history.undo();
    EXPECT_TRUE(history.marks().empty());
    EXPECT_TRUE(history.canRedo());
}

TEST(MarkHistory, ReplaceTakesASnapshotOnlyForAChange)
{
    MarkHistory history;
    history.add(arrowMark);
    history.add(numberMark(1));
    const MarkHistory before = history;

    history.replace(1, numberMark(1));
    EXPECT_EQ(history, before) << "an identical mark takes no snapshot";
    history.replace(2, numberMark(5));
    history.replace(std::numeric_limits<std::size_t>::max(), numberMark(5));
    EXPECT_EQ(history, before) << "out of range";

    history.replace(1, numberMark(1, AnnotationColor::green));
    EXPECT_EQ(history.marks()[1], numberMark(1, AnnotationColor::green));
    EXPECT_EQ(history.marks()[0], arrowMark) << "drawing order unchanged";
    history.undo();
    EXPECT_EQ(history.marks(), before.marks());
}

TEST(MarkHistory, RemovingAMarkerRenumbersLaterOnesInOneSnapshot)
{
    MarkHistory history;
    history.add(numberMark(1));
    history.add(arrowMark);
    history.add(numberMark(2));
    history.add(numberMark(3));
    history.add(numberMark(4));
    const std::vector<Mark> before = history.marks();

    history.remove(2);
    EXPECT_EQ(numbersOf(history), (std::vector<std::int64_t>{1, 2, 3}));
    EXPECT_EQ(history.marks()[1], arrowMark);
    // Only the values change; the markers keep their places.
    EXPECT_EQ(history.marks()[2].annotation, Annotation::number({30, 10}, 2));

    history.undo();
    EXPECT_EQ(history.marks(), before);
}

// Each case starts from an arrow and a marker added one after the other.
TEST(MarkHistory, RedoTakesBackWhatUndoTookAndANewChangeClearsIt)
{
    using Step = std::function<void(MarkHistory&)>;
    const Step undo = [](MarkHistory& history) { history.undo(); };
    const Step redo = [](MarkHistory& history) { history.redo(); };
    struct Case {
        const char* name;
        std::vector<Step> steps;
        std::vector<Mark> marks;
        bool canUndo;
        bool canRedo;
    };
    const Case cases[] = {
        {"nothing undone", {redo}, {arrowMark, numberMark(1)}, true, false},
        {"one undo, one redo", {undo, redo}, {arrowMark, numberMark(1)}, true, false},
        {"two undos, one redo", {undo, undo, redo}, {arrowMark}, true, true},
        {"redo past the end", {undo, undo, redo, redo, redo}, {arrowMark, numberMark(1)}, true, false},
        {"a new mark clears redo",
         {undo, [](MarkHistory& history) { history.add(highlightMark); }, redo},
         {arrowMark, highlightMark},
         true,
         false},
        {"a removal clears redo",
         {undo, undo, redo, [](MarkHistory& history) { history.remove(0); }, redo},
         {},
         true,
         false},
        {"an unchanged replace keeps redo",
         {undo, [](MarkHistory& history) { history.replace(0, arrowMark); }, redo},
         {arrowMark, numberMark(1)},
         true,
         false},
        {"a change redone is one snapshot",
         {[](MarkHistory& history) { history.replace(1, numberMark(1, AnnotationColor::green)); }, undo, redo, undo,
          undo},
         {arrowMark},
         true,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MarkHistory history;
        history.add(arrowMark);
        history.add(numberMark(1));
        for (const Step& step : c.steps) {
            step(history);
        }
        EXPECT_EQ(history.marks(), c.marks);
        EXPECT_EQ(history.canUndo(), c.canUndo);
        EXPECT_EQ(history.canRedo(), c.canRedo);
    }
}

TEST(MarkHistory, RemovingOtherMarksLeavesNumbersAlone)
{
    MarkHistory history;
    history.add(numberMark(1));
    history.add(arrowMark);
    history.add(numberMark(3));
    history.remove(1);
    EXPECT_EQ(numbersOf(history), (std::vector<std::int64_t>{1, 3}));
    history.remove(1);
    EXPECT_EQ(numbersOf(history), (std::vector<std::int64_t>{1}));
}

TEST(MarkHistory, RemovingOutOfRangeDoesNothing)
{
    MarkHistory history;
    history.add(numberMark(1));
    const MarkHistory before = history;
    history.remove(1);
    history.remove(std::numeric_limits<std::size_t>::max());
    EXPECT_EQ(history, before);
}

} // namespace
} // namespace quillet
