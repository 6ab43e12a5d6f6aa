#include "core/Annotation.hpp"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>

namespace quillet {
namespace {

constexpr Rect image{0, 0, 100, 100};

struct MoveCase {
    const char* name;
    friend void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }
    Annotation annotation;
    Vector offset;
    Rect within;
    int blockSize;
    Annotation expected;
};

class AnnotationMove : public testing::TestWithParam<MoveCase> {};

TEST_P(AnnotationMove, ShiftsInsideTheImage)
{
    const auto& c = GetParam();
    EXPECT_EQ(c.annotation.moved(c.offset, c.within, c.blockSize), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(PointMarks, AnnotationMove,
                         testing::Values(MoveCase{"arrow inside",
                                                  Annotation::arrow({10, 10}, {50, 30}),
                                                  {5, -5},
                                                  image,
                                                  14,
                                                  Annotation::arrow({15, 5}, {55, 25})},
                                         MoveCase{"arrow clamped on both axes",
                                                  Annotation::arrow({10, 10}, {50, 30}),
                                                  {-20, 100},
                                                  image,
                                                  14,
                                                  Annotation::arrow({0, 80}, {40, 100})},
                                         MoveCase{"arrow pointing up-left clamped",
                                                  Annotation::arrow({50, 30}, {10, 10}),
                                                  {80, -30},
                                                  image,
                                                  14,
                                                  Annotation::arrow({100, 20}, {60, 0})},
                                         MoveCase{"arrow longer than the image meets the left edge",
                                                  Annotation::arrow({-20, 50}, {150, 50}),
                                                  {30, 0},
                                                  image,
                                                  14,
                                                  Annotation::arrow({0, 50}, {170, 50})},
                                         MoveCase{"number 5 pixels from the right edge",
                                                  Annotation::number({95, 50}, 7),
                                                  {50, 0},
                                                  image,
                                                  14,
                                                  Annotation::number({100, 50}, 7)},
                                         MoveCase{"number badge may overhang; only the centre is kept inside",
                                                  Annotation::number({10, 10}, 2),
                                                  {-10, -10},
                                                  image,
                                                  14,
                                                  Annotation::number({0, 0}, 2)},
                                         MoveCase{"text keeps its string",
                                                  Annotation::text({5, 5}, "note"),
                                                  {-10, -3},
                                                  image,
                                                  14,
                                                  Annotation::text({0, 2}, "note")},
                                         MoveCase{"point marks ignore the block size",
                                                  Annotation::number({50, 50}, 1),
                                                  {20, 0},
                                                  image,
                                                  14,
                                                  Annotation::number({70, 50}, 1)}));

INSTANTIATE_TEST_SUITE_P(Boxes, AnnotationMove,
                         testing::Values(MoveCase{"highlight inside",
                                                  Annotation::highlight({10, 10, 20, 20}),
                                                  {3.5, 2},
                                                  image,
                                                  14,
                                                  Annotation::highlight({13.5, 12, 20, 20})},
                                         MoveCase{"highlight wider than the image",
                                                  Annotation::highlight({-20, 10, 200, 20}),
                                                  {-10, 0},
                                                  image,
                                                  14,
                                                  Annotation::highlight({0, 10, 200, 20})},
                                         MoveCase{"unstandardized highlight",
                                                  Annotation::highlight({50, 50, -20, -20}),
                                                  {100, 0},
                                                  image,
                                                  14,
                                                  Annotation::highlight({80, 30, 20, 20})},
                                         MoveCase{"redaction rounds 20/14 down to one block",
                                                  Annotation::redact({14, 14, 28, 28}),
                                                  {20, 0},
                                                  {0, 0, 200, 200},
                                                  14,
                                                  Annotation::redact({28, 14, 28, 28})},
                                         MoveCase{"redaction rounds 21/14 up to two blocks",
                                                  Annotation::redact({14, 14, 28, 28}),
                                                  {21, 0},
                                                  {0, 0, 200, 200},
                                                  14,
                                                  Annotation::redact({42, 14, 28, 28})},
                                         MoveCase{"redaction rounds halves away from zero",
                                                  Annotation::redact({56, 56, 28, 28}),
                                                  {-21, -7},
                                                  {0, 0, 200, 200},
                                                  14,
                                                  Annotation::redact({28, 42, 28, 28})},
                                         MoveCase{"redaction short of a block stays",
                                                  Annotation::redact({14, 14, 28, 28}),
                                                  {6.9, -6.9},
                                                  {0, 0, 200, 200},
                                                  14,
                                                  Annotation::redact({14, 14, 28, 28})},
                                         // Two blocks would overshoot: clamped to 16, then snapped out to the
                                         // grid and cut at the border.
                                         MoveCase{"redaction at the border snaps and clips",
                                                  Annotation::redact({56, 0, 28, 14}),
                                                  {30, 0},
                                                  image,
                                                  14,
                                                  Annotation::redact({70, 0, 30, 14})},
                                         MoveCase{"redaction with block size 0 moves by whole pixels",
                                                  Annotation::redact({10, 10, 20, 20}),
                                                  {2.4, 2.6},
                                                  image,
                                                  0,
                                                  Annotation::redact({12, 13, 20, 20})}));

INSTANTIATE_TEST_SUITE_P(Degenerate, AnnotationMove,
                         testing::Values(MoveCase{"null image",
                                                  Annotation::number({5, 5}, 1),
                                                  {10, 10},
                                                  Rect::null(),
                                                  14,
                                                  Annotation::number({5, 5}, 1)},
                                         MoveCase{"null redaction",
                                                  Annotation::redact(Rect::null()),
                                                  {14, 0},
                                                  image,
                                                  14,
                                                  Annotation::redact(Rect::null())},
                                         MoveCase{"not-a-number offset",
                                                  Annotation::arrow({1, 1}, {9, 9}),
                                                  {std::numeric_limits<double>::quiet_NaN(), 1},
                                                  image,
                                                  14,
                                                  Annotation::arrow({1, 1}, {9, 9})},
                                         MoveCase{"infinite offset",
                                                  Annotation::text({1, 1}, "x"),
                                                  {std::numeric_limits<double>::infinity(), 0},
                                                  image,
                                                  14,
                                                  Annotation::text({1, 1}, "x")}));

} // namespace
} // namespace quillet
