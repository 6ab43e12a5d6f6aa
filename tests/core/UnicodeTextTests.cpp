#include "core/UnicodeText.hpp"

#include <gtest/gtest.h>

namespace quillet {
namespace {

struct TrimCase {
    const char* input;
    const char* expected;
};

class UnicodeTextTrimmed : public testing::TestWithParam<TrimCase> {};

TEST_P(UnicodeTextTrimmed, RemovesWhiteSpaceAndNewlinesAtBothEnds)
{
    EXPECT_EQ(UnicodeText::trimmed(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnicodeTextTrimmed,
    testing::Values(TrimCase{"", ""}, TrimCase{"  a b  ", "a b"}, TrimCase{"\t\n\r\v\f", ""},
                    TrimCase{"\u00A0\u3000x\u2028\u2029", "x"}, TrimCase{"\u0085 y \u202F", "y"},
                    TrimCase{"\u200Bz", "\u200Bz"}, // zero-width space is not white space
                    TrimCase{"\xC3\xA9t\xC3\xA9 ", "\xC3\xA9t\xC3\xA9"}));

TEST(UnicodeText, DecodesMultiByteSequences)
{
    EXPECT_EQ(UnicodeText::decode("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"),
              (std::u32string{U'a', 0xE9, 0x20AC, 0x1F600}));
}

TEST(UnicodeText, MalformedBytesBecomeReplacementCharactersWithoutLosingTheRest)
{
    EXPECT_EQ(UnicodeText::decode("a\xFF"
                                  "b"),
              (std::u32string{U'a', 0xFFFD, U'b'}));
    EXPECT_EQ(UnicodeText::decode("\xC3"), (std::u32string{0xFFFD})); // truncated at the end
    EXPECT_EQ(UnicodeText::decode("\xE2\x82"
                                  "x"),
              (std::u32string{0xFFFD, 0xFFFD, U'x'}));
    EXPECT_EQ(UnicodeText::decode("\xC0\xAF"), (std::u32string{0xFFFD, 0xFFFD}));             // overlong "/"
    EXPECT_EQ(UnicodeText::decode("\xED\xA0\x80"), (std::u32string{0xFFFD, 0xFFFD, 0xFFFD})); // surrogate
}

TEST(UnicodeText, EncodeRoundTripsEveryLength)
{
    const std::u32string text{U'a', 0x7FF, 0x800, 0xFFFF, 0x10000, 0x10FFFF};
    EXPECT_EQ(UnicodeText::decode(UnicodeText::encode(text)), text);
}

TEST(UnicodeText, ClassifiesNewlinesAsASubsetOfWhiteSpace)
{
    for (char32_t c : {0x0A, 0x0B, 0x0C, 0x0D, 0x85, 0x2028, 0x2029}) {
        EXPECT_TRUE(UnicodeText::isNewline(c)) << std::hex << static_cast<unsigned>(c);
        EXPECT_TRUE(UnicodeText::isWhiteSpace(c)) << std::hex << static_cast<unsigned>(c);
    }
    for (char32_t c : {0x09, 0x20, 0xA0, 0x3000}) {
        EXPECT_FALSE(UnicodeText::isNewline(c));
        EXPECT_TRUE(UnicodeText::isWhiteSpace(c));
    }
    EXPECT_FALSE(UnicodeText::isWhiteSpace(U'x'));
    EXPECT_FALSE(UnicodeText::isWhiteSpace(0x200B));
}

TEST(UnicodeText, EveryLineBreakBecomesOneSpace)
{
    const std::pair<const char*, const char*> cases[] = {
        {"two\nwords", "two words"},          {"crlf\r\nonce", "crlf once"}, {"cr\rlf\n\rtwo", "cr lf  two"},
        {"ls\u2028ps\u2029end", "ls ps end"}, {"nel\u0085", "nel "},         {"tab\tstays", "tab\tstays"},
    };
    for (const auto& [input, expected] : cases) {
        EXPECT_EQ(UnicodeText::newlinesAsSpaces(input), expected) << input;
    }
}

} // namespace
} // namespace quillet
