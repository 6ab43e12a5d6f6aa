#include "core/AnnotationColor.hpp"
#include "core/ArrowHead.hpp"
#include "core/EditorTool.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace quillet {
namespace {

TEST(AnnotationColor, CasesRoundTripThroughTheirRawValuesInSwatchOrder)
{
    const char* expected[] = {"pink", "red", "yellow", "green", "blue", "black"};
    ASSERT_EQ(allAnnotationColors.size(), std::size(expected));
    for (std::size_t i = 0; i < allAnnotationColors.size(); ++i) {
        EXPECT_EQ(rawValue(allAnnotationColors[i]), expected[i]);
        EXPECT_EQ(annotationColorFromRawValue(expected[i]), allAnnotationColors[i]);
    }
    EXPECT_EQ(defaultAnnotationColor, AnnotationColor::pink);
    EXPECT_EQ(annotationColorFromRawValue("Pink"), std::nullopt);
    EXPECT_EQ(annotationColorFromRawValue(""), std::nullopt);
    EXPECT_EQ(annotationColorFromRawValue("pink "), std::nullopt);
    EXPECT_EQ(title(AnnotationColor::yellow), "Yellow");
}

struct ColorCase {
    AnnotationColor color;
    double red8;
    double green8;
    double blue8;
};

class AnnotationColorRgb : public testing::TestWithParam<ColorCase> {};

TEST_P(AnnotationColorRgb, MatchesTheEightBitPalette)
{
    const auto c = GetParam();
    const RgbComponents rgbValue = rgb(c.color);
    EXPECT_NEAR(rgbValue.red * 255, c.red8, 1e-9) << rawValue(c.color);
    EXPECT_NEAR(rgbValue.green * 255, c.green8, 1e-9) << rawValue(c.color);
    EXPECT_NEAR(rgbValue.blue * 255, c.blue8, 1e-9) << rawValue(c.color);
}

INSTANTIATE_TEST_SUITE_P(Palette, AnnotationColorRgb,
                         testing::Values(ColorCase{AnnotationColor::pink, 255, 45, 111},
                                         ColorCase{AnnotationColor::red, 255, 59, 48},
                                         ColorCase{AnnotationColor::yellow, 255, 204, 0},
                                         ColorCase{AnnotationColor::green, 52, 199, 89},
                                         ColorCase{AnnotationColor::blue, 0, 122, 255},
                                         ColorCase{AnnotationColor::black, 25.5, 25.5, 25.5}));

TEST(ArrowHead, TogglesAndRoundTripsItsRawValue)
{
    EXPECT_EQ(defaultArrowHead, ArrowHead::atStart);
    EXPECT_EQ(toggled(ArrowHead::atStart), ArrowHead::atEnd);
    EXPECT_EQ(toggled(ArrowHead::atEnd), ArrowHead::atStart);
    EXPECT_EQ(rawValue(ArrowHead::atStart), "atStart");
    EXPECT_EQ(rawValue(ArrowHead::atEnd), "atEnd");
    for (const ArrowHead head : allArrowHeads) {
        EXPECT_EQ(arrowHeadFromRawValue(rawValue(head)), head);
    }
    EXPECT_EQ(arrowHeadFromRawValue("atend"), std::nullopt);
    EXPECT_EQ(arrowHeadFromRawValue(""), std::nullopt);
}

TEST(ArrowHead, IsStoredAsItsRawValueAndFallsBackToTheDefault)
{
    const brindle::Preference<ArrowHead> preference{"arrowHead", defaultArrowHead};
    brindle::InMemoryPreferenceStore store;
    EXPECT_EQ(store.read(preference), ArrowHead::atStart);

    store.write(preference, ArrowHead::atEnd);
    const auto stored = store.object("arrowHead");
    ASSERT_TRUE(stored.has_value());
    ASSERT_NE(stored->get<std::string>(), nullptr);
    EXPECT_EQ(*stored->get<std::string>(), "atEnd");
    EXPECT_EQ(store.read(preference), ArrowHead::atEnd);

    for (const auto& unreadable : {brindle::PropertyList(std::string("AtEnd")), brindle::PropertyList(true),
                                   brindle::PropertyList(std::int64_t{1})}) {
        store.set(unreadable, "arrowHead");
        EXPECT_EQ(store.read(preference), ArrowHead::atStart);
    }
}

TEST(ArrowHead, PutsTheHeadWhereTheDragBeganOrStopped)
{
    EXPECT_EQ(arrow(ArrowHead::atStart, {10, 10}, {50, 10}), Annotation::arrow({50, 10}, {10, 10}));
    EXPECT_EQ(arrow(ArrowHead::atEnd, {10, 10}, {50, 10}), Annotation::arrow({10, 10}, {50, 10}));
}

TEST(EditorTool, DescribesEachToolInToolbarOrder)
{
    const char* keys[] = {"a", "n", "t", "h", "r"};
    const char* symbols[] = {"arrow.up.right", "1.circle", "textformat", "highlighter",
                             "checkerboard.rectangle"};
    const char* titles[] = {"Arrow", "Numbers", "Text", "Highlight", "Redact"};
    const bool colored[] = {true, true, true, false, false};
    ASSERT_EQ(allEditorTools.size(), std::size(keys));
    for (std::size_t i = 0; i < allEditorTools.size(); ++i) {
        const EditorTool tool = allEditorTools[i];
        EXPECT_EQ(key(tool), keys[i]);
        EXPECT_EQ(symbol(tool), symbols[i]);
        EXPECT_EQ(title(tool), titles[i]);
        EXPECT_EQ(usesColor(tool), colored[i]) << titles[i];
        EXPECT_EQ(editorToolForKey(keys[i]), tool);
    }
}

TEST(EditorTool, LooksUpKeysCaseInsensitivelyAndOnlySingleKeys)
{
    EXPECT_EQ(editorToolForKey("H"), EditorTool::highlight);
    EXPECT_EQ(editorToolForKey("A"), EditorTool::arrow);
    EXPECT_EQ(editorToolForKey("R"), EditorTool::redact);
    EXPECT_EQ(editorToolForKey(""), std::nullopt);
    EXPECT_EQ(editorToolForKey("x"), std::nullopt);
    EXPECT_EQ(editorToolForKey("ah"), std::nullopt);
    EXPECT_EQ(editorToolForKey("\xc3\xa1"), std::nullopt); // "á"
}

TEST(AnnotationEnumerations, AreHashable)
{
    const std::set<std::size_t> hashes{std::hash<AnnotationColor>{}(AnnotationColor::pink),
                                       std::hash<AnnotationColor>{}(AnnotationColor::red)};
    EXPECT_EQ(hashes.size(), 2u);
    EXPECT_EQ(std::hash<EditorTool>{}(EditorTool::text), std::hash<EditorTool>{}(EditorTool::text));
}

} // namespace
} // namespace quillet
