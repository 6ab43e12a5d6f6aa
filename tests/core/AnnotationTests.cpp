#include "core/Annotation.hpp"
#include "core/Mark.hpp"
#include "core/Overloaded.hpp"

#include <gtest/gtest.h>
#include <ostream>

namespace quillet {
namespace {

struct EmptinessCase {
    const char* name;
    friend void PrintTo(const EmptinessCase& c, std::ostream* os) { *os << c.name; }
    Annotation annotation;
    bool isEmpty;
};

class AnnotationEmptiness : public testing::TestWithParam<EmptinessCase> {};

TEST_P(AnnotationEmptiness, DecidesWhetherADraftBecomesAMark)
{
    EXPECT_EQ(GetParam().annotation.isEmpty(), GetParam().isEmpty) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnnotationEmptiness,
    testing::Values(EmptinessCase{"arrow 3.9 long", Annotation::arrow({10, 10}, {13.9, 10}), true},
                    EmptinessCase{"arrow 4 long", Annotation::arrow({10, 10}, {14, 10}), false},
                    EmptinessCase{"diagonal arrow 5 long", Annotation::arrow({0, 0}, {3, 4}), false},
                    EmptinessCase{"arrow with coincident ends", Annotation::arrow({7, 7}, {7, 7}), true},
                    EmptinessCase{"number 0", Annotation::number({0, 0}, 0), false},
                    EmptinessCase{"negative number", Annotation::number({5, 5}, -3), false},
                    EmptinessCase{"text of spaces and line breaks", Annotation::text({0, 0}, " \n\t \r\n "),
                                  true},
                    EmptinessCase{"text of no-break and ideographic spaces",
                                  Annotation::text({0, 0}, "\u00a0\u3000"), true},
                    EmptinessCase{"empty text", Annotation::text({0, 0}, ""), true},
                    EmptinessCase{"padded text", Annotation::text({0, 0}, " a "), false},
                    EmptinessCase{"highlight 10 x 3.5", Annotation::highlight({0, 0, 10, 3.5}), true},
                    EmptinessCase{"highlight 4 x 4", Annotation::highlight({0, 0, 4, 4}), false},
                    EmptinessCase{"unstandardized redaction", Annotation::redact({20, 0, -10, 10}), false},
                    EmptinessCase{"redaction -3 high", Annotation::redact({0, 20, 10, -3}), true},
                    EmptinessCase{"null redaction", Annotation::redact(Rect::null()), true}));

TEST(Annotation, EqualityComparesCaseAndPayload)
{
    const Rect box{1, 2, 30, 40};
    EXPECT_EQ(Annotation::highlight(box), Annotation::highlight(box));
    EXPECT_NE(Annotation::highlight(box), Annotation::redact(box));
    // Rectangles compare as standardized, like CGRectEqualToRect.
    EXPECT_EQ(Annotation::redact(box), Annotation::redact({31, 42, -30, -40}));
    EXPECT_EQ(Annotation::redact(Rect::null()), Annotation::redact(Rect::null()));
    EXPECT_NE(Annotation::arrow({0, 0}, {10, 0}), Annotation::arrow({10, 0}, {0, 0}));
    EXPECT_NE(Annotation::number({0, 0}, 1), Annotation::number({0, 0}, 2));
    EXPECT_NE(Annotation::text({0, 0}, "a"), Annotation::text({0, 0}, "a "));
    EXPECT_NE(Annotation::text({0, 0}, "a"), Annotation::text({0, 0.5}, "a"));
}

TEST(Annotation, KindFollowsTheCaseOrderAndCasesAreReachable)
{
    EXPECT_EQ(Annotation::arrow({}, {}).kind(), Annotation::Kind::arrow);
    EXPECT_EQ(Annotation::number({}, 1).kind(), Annotation::Kind::number);
    EXPECT_EQ(Annotation::text({}, "").kind(), Annotation::Kind::text);
    EXPECT_EQ(Annotation::highlight({}).kind(), Annotation::Kind::highlight);
    EXPECT_EQ(Annotation::redact({}).kind(), Annotation::Kind::redact);

    const Annotation number = Annotation::number({3, 4}, 9);
    ASSERT_NE(number.as<Annotation::Number>(), nullptr);
    EXPECT_EQ(number.as<Annotation::Number>()->value, 9);
    EXPECT_EQ(number.as<Annotation::Arrow>(), nullptr);
    const auto described = number.visit(
        Overloaded{[](const Annotation::Number& n) { return n.center.x; }, [](const auto&) { return -1.0; }});
    EXPECT_EQ(described, 3);
}

TEST(Mark, DefaultIsAnEmptyMarkInTheDefaultColour)
{
    const Mark mark;
    EXPECT_TRUE(mark.annotation.isEmpty());
    EXPECT_EQ(mark.color, AnnotationColor::pink);
}

TEST(Mark, EqualityNeedsTheSameAnnotationAndColour)
{
    const Mark mark{Annotation::number({1, 1}, 1), AnnotationColor::blue};
    EXPECT_EQ(mark, (Mark{Annotation::number({1, 1}, 1), AnnotationColor::blue}));
    EXPECT_NE(mark, (Mark{Annotation::number({1, 1}, 1), AnnotationColor::red}));
    EXPECT_NE(mark, (Mark{Annotation::number({1, 2}, 1), AnnotationColor::blue}));
}

} // namespace
} // namespace quillet
