#include "core/AnnotationGeometry.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <vector>

namespace quillet {
namespace {

// Text boxes 10 pixels per byte wide and 20 high.
Size measure(const std::string& s)
{
    return {10.0 * static_cast<double>(s.size()), 20};
}

Mark pink(Annotation annotation)
{
    return {std::move(annotation), AnnotationColor::pink};
}

struct HitCase {
    const char* name;
    friend void PrintTo(const HitCase& c, std::ostream* os) { *os << c.name; }
    std::vector<Mark> marks;
    Point point;
    EditorTool tool;
    double tolerance;
    std::optional<std::size_t> expected;
};

class HitIndex : public testing::TestWithParam<HitCase> {};

TEST_P(HitIndex, FindsTheMarkAClickGrabs)
{
    const auto& c = GetParam();
    EXPECT_EQ(
        AnnotationGeometry::hitIndex(c.point, c.marks, c.tool, AnnotationStyle(1), c.tolerance, measure),
        c.expected)
        << c.name;
}

const Annotation horizontalArrow = Annotation::arrow({0, 50}, {100, 50});
const Annotation numberAt50 = Annotation::number({50, 50}, 1);
const Annotation bigHighlight = Annotation::highlight({0, 0, 100, 100});
const Annotation bigRedaction = Annotation::redact({0, 0, 100, 100});

INSTANTIATE_TEST_SUITE_P(
    Order, HitIndex,
    testing::Values(HitCase{"nothing to hit", {}, {5, 5}, EditorTool::arrow, 4, std::nullopt},
                    HitCase{"arrow over number: topmost point mark",
                            {pink(numberAt50), pink(horizontalArrow)},
                            {50, 50},
                            EditorTool::number,
                            0,
                            1},
                    HitCase{"number over arrow",
                            {pink(horizontalArrow), pink(numberAt50)},
                            {50, 50},
                            EditorTool::arrow,
                            0,
                            1},
                    HitCase{"number under a highlight still wins",
                            {pink(numberAt50), pink(bigHighlight)},
                            {50, 50},
                            EditorTool::highlight,
                            0,
                            0},
                    HitCase{"highlight with its own tool",
                            {pink(numberAt50), pink(bigHighlight)},
                            {90, 90},
                            EditorTool::highlight,
                            0,
                            1},
                    HitCase{"highlight never hit with the redact tool",
                            {pink(bigHighlight)},
                            {50, 50},
                            EditorTool::redact,
                            0,
                            std::nullopt},
                    HitCase{"redaction never hit with the highlight tool",
                            {pink(bigRedaction)},
                            {50, 50},
                            EditorTool::highlight,
                            0,
                            std::nullopt},
                    HitCase{"boxes never hit with a point tool",
                            {pink(bigRedaction), pink(bigHighlight)},
                            {50, 50},
                            EditorTool::text,
                            10,
                            std::nullopt},
                    HitCase{"redaction under a highlight with the redact tool",
                            {pink(bigRedaction), pink(bigHighlight)},
                            {50, 50},
                            EditorTool::redact,
                            0,
                            0},
                    HitCase{"topmost of two redactions",
                            {pink(bigRedaction), pink(Annotation::redact({14, 14, 28, 28}))},
                            {20, 20},
                            EditorTool::redact,
                            0,
                            1},
                    HitCase{"lower redaction where the upper one is not",
                            {pink(bigRedaction), pink(Annotation::redact({14, 14, 28, 28}))},
                            {80, 80},
                            EditorTool::redact,
                            0,
                            0}));

INSTANTIATE_TEST_SUITE_P(
    Arrow, HitIndex,
    testing::Values(
        // At x = 50 the shaft is 1.6 + 2.6 * 50 / 83.88 = 3.15 pixels either side of the axis.
        HitCase{"inside the shaft", {pink(horizontalArrow)}, {50, 52.5}, EditorTool::arrow, 0, 0},
        HitCase{"inside a barb", {pink(horizontalArrow)}, {80, 58}, EditorTool::arrow, 0, 0},
        HitCase{"just outside the shaft",
                {pink(horizontalArrow)},
                {50, 53.5},
                EditorTool::arrow,
                0,
                std::nullopt},
        HitCase{"outside the shaft within tolerance",
                {pink(horizontalArrow)},
                {50, 53.5},
                EditorTool::arrow,
                0.5,
                0},
        HitCase{
            "beyond the tip within tolerance", {pink(horizontalArrow)}, {102, 50}, EditorTool::arrow, 2.5, 0},
        HitCase{"beyond the tip out of tolerance",
                {pink(horizontalArrow)},
                {103, 50},
                EditorTool::arrow,
                2.5,
                std::nullopt},
        // 3 pixels behind the tail: 3 from the tail edge, and 3 <= 2 + 1.6 from `from`.
        HitCase{"behind the tail within the tail disc",
                {pink(horizontalArrow)},
                {-3, 50},
                EditorTool::arrow,
                2,
                0},
        HitCase{"behind the tail out of reach",
                {pink(horizontalArrow)},
                {-3, 50},
                EditorTool::arrow,
                1,
                std::nullopt},
        HitCase{"arrow with coincident ends at its point",
                {pink(Annotation::arrow({20, 20}, {20, 20}))},
                {21, 20},
                EditorTool::arrow,
                1,
                0}));

INSTANTIATE_TEST_SUITE_P(
    Shapes, HitIndex,
    testing::Values(
        HitCase{"number on its ring", {pink(numberAt50)}, {66.5, 50}, EditorTool::arrow, 0, 0},
        HitCase{"number beyond its ring", {pink(numberAt50)}, {66.6, 50}, EditorTool::arrow, 0, std::nullopt},
        HitCase{"number beyond its ring within tolerance",
                {pink(numberAt50)},
                {66.6, 50},
                EditorTool::arrow,
                1,
                0},
        HitCase{"text at its origin",
                {pink(Annotation::text({10, 10}, "abcd"))},
                {10, 10},
                EditorTool::arrow,
                0,
                0},
        HitCase{"text at its far edge is outside",
                {pink(Annotation::text({10, 10}, "abcd"))},
                {50, 15},
                EditorTool::arrow,
                0,
                std::nullopt},
        HitCase{"text within tolerance",
                {pink(Annotation::text({10, 10}, "abcd"))},
                {51.9, 15},
                EditorTool::arrow,
                2,
                0},
        HitCase{"text within tolerance below",
                {pink(Annotation::text({10, 10}, "abcd"))},
                {30, 31.9},
                EditorTool::arrow,
                2,
                0},
        HitCase{"text within tolerance above",
                {pink(Annotation::text({10, 10}, "abcd"))},
                {30, 8},
                EditorTool::arrow,
                2,
                0},
        HitCase{"text at the grown bottom edge",
                {pink(Annotation::text({10, 10}, "abcd"))},
                {30, 32},
                EditorTool::arrow,
                2,
                std::nullopt},
        HitCase{"text at the grown far edge",
                {pink(Annotation::text({10, 10}, "abcd"))},
                {52, 15},
                EditorTool::arrow,
                2,
                std::nullopt},
        HitCase{"box minimum edge inside",
                {pink(Annotation::highlight({0, 0, 10, 10}))},
                {0, 0},
                EditorTool::highlight,
                0,
                0},
        HitCase{"box maximum edge outside",
                {pink(Annotation::highlight({0, 0, 10, 10}))},
                {10, 5},
                EditorTool::highlight,
                0,
                std::nullopt},
        HitCase{"unstandardized box",
                {pink(Annotation::highlight({10, 10, -10, -10}))},
                {5, 5},
                EditorTool::highlight,
                0,
                0},
        HitCase{"null box",
                {pink(Annotation::redact(Rect::null()))},
                {0, 0},
                EditorTool::redact,
                5,
                std::nullopt}));

} // namespace
} // namespace quillet
