#include "Quillet/editor/AnnotationRenderer.hpp"
#include "Quillet/editor/EditorModel.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include <QImage>

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <string>

namespace quillet {
namespace {

[[nodiscard]] QImage smallImage()
{
    QImage image(200, 100, QImage::Format_RGBA8888_Premultiplied);
    image.fill(Qt::white);
    return image;
}

[[nodiscard]] Mark numberAt(Point center, std::int64_t value)
{
    return Mark(Annotation::number(center, value), AnnotationColor::pink);
}

struct ScaleCase {
    double given;
    double expected;
};

class EditorModelScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(EditorModelScale, PixelsPerPointIsAtLeastOneAndReachesTheRenderer)
{
    brindle::InMemoryPreferenceStore store;
    const EditorModel model(smallImage(), GetParam().given, store);
    EXPECT_EQ(model.pixelsPerPoint(), GetParam().expected);
    EXPECT_EQ(model.renderer()->style().scale, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, EditorModelScale,
                         ::testing::Values(ScaleCase{0.5, 1.0}, ScaleCase{std::nan(""), 1.0},
                                           ScaleCase{2.0, 2.0}));

TEST(EditorModel, ChangingTheToolClearsTheSelection)
{
    brindle::InMemoryPreferenceStore store;
    EditorModel model(smallImage(), 2, store);
    model.add(numberAt({20, 20}, 1));
    model.setSelection(0);

    model.setTool(EditorTool::highlight);

    EXPECT_EQ(model.tool(), EditorTool::highlight);
    EXPECT_EQ(model.selection(), std::nullopt);
}

TEST(EditorModel, UndoAfterAMoveRestoresTheOldPositionAndClearsTheSelection)
{
    brindle::InMemoryPreferenceStore store;
    EditorModel model(smallImage(), 2, store);
    model.add(numberAt({20, 20}, 1));
    model.setSelection(0);
    model.setMoving(numberAt({60, 40}, 1));

    model.finishMoving();
    ASSERT_EQ(model.history().marks().at(0), numberAt({60, 40}, 1));
    EXPECT_EQ(model.selection(), std::optional<std::size_t>(0)) << "a finished move keeps its mark selected";
    EXPECT_EQ(model.moving(), std::nullopt);

    model.undo();
    EXPECT_EQ(model.history().marks().at(0), numberAt({20, 20}, 1));
    EXPECT_EQ(model.selection(), std::nullopt);
}

TEST(EditorModel, FinishingAMoveWithoutAChangeTakesNoSnapshot)
{
    brindle::InMemoryPreferenceStore store;
    EditorModel model(smallImage(), 2, store);
    model.add(numberAt({20, 20}, 1));
    const MarkHistory before = model.history();
    model.setSelection(0);
    model.setMoving(numberAt({20, 20}, 1));

    model.finishMoving();

    EXPECT_EQ(model.history(), before);
}

TEST(EditorModel, DeletingWithoutASelectionChangesNothing)
{
    brindle::InMemoryPreferenceStore store;
    EditorModel model(smallImage(), 2, store);
    model.add(numberAt({20, 20}, 1));
    const MarkHistory before = model.history();

    model.deleteSelection();

    EXPECT_EQ(model.history(), before);
}

TEST(EditorModel, NextNumberFollowsAddsAndDeletes)
{
    brindle::InMemoryPreferenceStore store;
    EditorModel model(smallImage(), 2, store);
    EXPECT_EQ(model.nextNumber(), 1);
    model.add(numberAt({20, 20}, model.nextNumber()));
    model.add(numberAt({40, 20}, model.nextNumber()));
    EXPECT_EQ(model.nextNumber(), 3);

    model.setSelection(1);
    model.deleteSelection();

    EXPECT_EQ(model.nextNumber(), 2);
    EXPECT_EQ(model.selection(), std::nullopt);
}

struct StoredArrowHeadCase {
    std::optional<brindle::PropertyList> stored;
    ArrowHead expected;
};

class StoredArrowHead : public ::testing::TestWithParam<StoredArrowHeadCase> {};

TEST_P(StoredArrowHead, IsReadWhenTheModelIsMade)
{
    brindle::InMemoryPreferenceStore store;
    store.set(GetParam().stored, "arrowHead");
    const EditorModel model(smallImage(), 2, store);
    EXPECT_EQ(model.arrowHead(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, StoredArrowHead,
    ::testing::Values(StoredArrowHeadCase{brindle::PropertyList(std::string("atEnd")), ArrowHead::atEnd},
                      StoredArrowHeadCase{brindle::PropertyList(std::string("atStart")), ArrowHead::atStart},
                      StoredArrowHeadCase{brindle::PropertyList(std::string("AtEnd")), ArrowHead::atStart},
                      StoredArrowHeadCase{brindle::PropertyList(std::int64_t{1}), ArrowHead::atStart},
                      StoredArrowHeadCase{std::nullopt, ArrowHead::atStart}));

TEST(EditorModel, ArrowHeadIsWrittenAtOnceForTheNextEditor)
{
    brindle::InMemoryPreferenceStore store;
    EditorModel first(smallImage(), 2, store);

    first.setArrowHead(ArrowHead::atEnd);

    const std::optional<brindle::PropertyList> stored = store.object("arrowHead");
    ASSERT_TRUE(stored.has_value());
    ASSERT_NE(stored->get<std::string>(), nullptr);
    EXPECT_EQ(*stored->get<std::string>(), "atEnd");
    const EditorModel next(smallImage(), 2, store);
    EXPECT_EQ(next.arrowHead(), ArrowHead::atEnd);
    EXPECT_EQ(next.tool(), EditorTool::arrow) << "tools are not remembered";
    EXPECT_EQ(next.color(), AnnotationColor::pink) << "colours are not remembered";
}

TEST(EditorModel, EveryChangeIsAnnounced)
{
    brindle::InMemoryPreferenceStore store;
    EditorModel model(smallImage(), 2, store);
    int announcements = 0;
    QObject::connect(&model, &EditorModel::changed, [&] { ++announcements; });

    model.setColor(AnnotationColor::blue);
    model.setDraft(numberAt({5, 5}, 1));
    model.add(numberAt({5, 5}, 1));
    model.setSelection(0);
    model.setMoving(numberAt({9, 9}, 1));
    model.finishMoving();
    model.setSaving(true);
    model.undo();

    EXPECT_EQ(announcements, 8);
}

} // namespace
} // namespace quillet
