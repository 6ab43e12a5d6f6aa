#pragma once

#include <string>
#include <string_view>

// UTF-8 text helpers shared by file naming and the annotation model. Malformed UTF-8 sequences
// decode as U+FFFD, so invalid input never crashes and never silently loses the rest of the text.
namespace quillet::UnicodeText {

[[nodiscard]] std::u32string decode(std::string_view utf8);
[[nodiscard]] std::string encode(std::u32string_view codePoints);

// The Unicode White_Space property (which includes every newline character).
[[nodiscard]] bool isWhiteSpace(char32_t c);

// Line and paragraph separators: LF, VT, FF, CR, NEL, LINE SEPARATOR, PARAGRAPH SEPARATOR.
[[nodiscard]] bool isNewline(char32_t c);

// Every line break as one space: a line of text stays one line. CR LF is one break.
[[nodiscard]] std::string newlinesAsSpaces(std::string_view utf8);

// The text with white space and newlines removed from both ends.
[[nodiscard]] std::string trimmed(std::string_view utf8);

} // namespace quillet::UnicodeText
