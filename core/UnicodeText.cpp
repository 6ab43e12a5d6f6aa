#include "core/UnicodeText.hpp"

#include <algorithm>

namespace quillet::UnicodeText {
namespace {

constexpr char32_t replacementCharacter = 0xFFFD;

// Number of continuation bytes announced by a lead byte, or -1 for a byte that cannot lead.
int continuationCount(unsigned char lead)
{
    if (lead < 0x80) {
        return 0;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 1;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 2;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 3;
    }
    return -1;
}

bool isOverlongOrOutOfRange(char32_t c, int continuations)
{
    constexpr char32_t smallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < smallest[continuations]) {
        return true;
    }
    return c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF);
}

} // namespace

std::u32string decode(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int continuations = continuationCount(lead);
        if (continuations < 0 || i + continuations >= utf8.size() + (continuations == 0 ? 1 : 0)) {
            out.push_back(replacementCharacter);
            ++i;
            continue;
        }
        char32_t c = continuations == 0 ? lead : (lead & (0x3F >> continuations));
        bool valid = true;
        for (int k = 1; k <= continuations; ++k) {
            const auto byte = static_cast<unsigned char>(utf8[i + k]);
            if ((byte & 0xC0) != 0x80) {
                valid = false;
                break;
            }
            c = (c << 6) | (byte & 0x3F);
        }
        if (!valid || isOverlongOrOutOfRange(c, continuations)) {
            out.push_back(replacementCharacter);
            ++i;
            continue;
        }
        out.push_back(c);
        i += continuations + 1;
    }
    return out;
}

std::string encode(std::u32string_view codePoints)
{
    std::string out;
    out.reserve(codePoints.size());
    for (char32_t c : codePoints) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            c = replacementCharacter;
        }
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

bool isWhiteSpace(char32_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

bool isNewline(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

std::string newlinesAsSpaces(std::string_view utf8)
{
    const std::u32string text = decode(utf8);
    std::u32string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isNewline(text[i])) {
            result.push_back(text[i]);
            continue;
        }
        result.push_back(U' ');
        if (text[i] == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') {
            ++i;
        }
    }
    return encode(result);
}

std::string trimmed(std::string_view utf8)
{
    const std::u32string text = decode(utf8);
    const auto first = std::find_if_not(text.begin(), text.end(), isWhiteSpace);
    const auto last = std::find_if_not(text.rbegin(), std::make_reverse_iterator(first), isWhiteSpace).base();
    return encode(std::u32string(first, last));
}

} // namespace quillet::UnicodeText
