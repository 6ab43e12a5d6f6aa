#include "kit-core/LogFormat.hpp"

#include <array>
#include <charconv>
#include <cstdio>

namespace brindle {
namespace {

enum class Conversion { text, boolean, integer, real };

struct Placeholder {
    std::string_view spelling;
    Conversion conversion;
};

// Longest spellings first so that "%ld" is not read as "%l" followed by "d".
constexpr std::array placeholders{
    Placeholder{"%{public}s", Conversion::text},
    Placeholder{"%{private}s", Conversion::text},
    Placeholder{"%{public}@", Conversion::text},
    Placeholder{"%{bool}d", Conversion::boolean},
    Placeholder{"%{public}ld", Conversion::integer},
    Placeholder{"%{public}d", Conversion::integer},
    Placeholder{"%lld", Conversion::integer},
    Placeholder{"%llu", Conversion::integer},
    Placeholder{"%ld", Conversion::integer},
    Placeholder{"%lu", Conversion::integer},
    Placeholder{"%d", Conversion::integer},
    Placeholder{"%u", Conversion::integer},
    Placeholder{"%f", Conversion::real},
    Placeholder{"%s", Conversion::text},
    Placeholder{"%@", Conversion::text},
};

std::string decimal(std::int64_t value)
{
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

// "%f" of a large value runs to hundreds of digits: measured first, then written in full.
std::string real(double value)
{
    const int length = std::snprintf(nullptr, 0, "%f", value);
    if (length <= 0) {
        return {};
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    (void)std::snprintf(text.data(), text.size() + 1, "%f", value);
    return text;
}

bool truth(const LogArgument& argument)
{
    if (const auto* flag = std::get_if<bool>(&argument)) {
        return *flag;
    }
    if (const auto* number = std::get_if<std::int64_t>(&argument)) {
        return *number != 0;
    }
    if (const auto* number = std::get_if<double>(&argument)) {
        return *number != 0.0;
    }
    return !std::get<std::string>(argument).empty();
}

std::string plain(const LogArgument& argument)
{
    if (const auto* text = std::get_if<std::string>(&argument)) {
        return *text;
    }
    if (const auto* flag = std::get_if<bool>(&argument)) {
        return *flag ? "1" : "0";
    }
    if (const auto* number = std::get_if<std::int64_t>(&argument)) {
        return decimal(*number);
    }
    return real(std::get<double>(argument));
}

std::string converted(const LogArgument& argument, Conversion conversion)
{
    switch (conversion) {
    case Conversion::boolean:
        return truth(argument) ? "true" : "false";
    case Conversion::real:
        if (const auto* number = std::get_if<double>(&argument)) {
            return real(*number);
        }
        return plain(argument);
    case Conversion::text:
    case Conversion::integer:
        return plain(argument);
    }
    return plain(argument);
}

const Placeholder* placeholderAt(std::string_view rest)
{
    for (const auto& placeholder : placeholders) {
        if (rest.substr(0, placeholder.spelling.size()) == placeholder.spelling) {
            return &placeholder;
        }
    }
    return nullptr;
}

} // namespace

std::string LogFormat::render(std::string_view format, std::span<const LogArgument> arguments)
{
    std::string result;
    result.reserve(format.size());
    std::size_t nextArgument = 0;
    std::size_t position = 0;
    while (position < format.size()) {
        const std::size_t percent = format.find('%', position);
        if (percent == std::string_view::npos) {
            result.append(format.substr(position));
            break;
        }
        result.append(format.substr(position, percent - position));
        const std::string_view rest = format.substr(percent);
        if (rest.substr(0, 2) == "%%") {
            result.push_back('%');
            position = percent + 2;
            continue;
        }
        const Placeholder* placeholder = placeholderAt(rest);
        if (placeholder == nullptr) {
            result.push_back('%');
            position = percent + 1;
            continue;
        }
        if (nextArgument < arguments.size()) {
            result.append(converted(arguments[nextArgument], placeholder->conversion));
        }
        ++nextArgument;
        position = percent + placeholder->spelling.size();
    }
    return result;
}

std::string LogFormat::outsideText(std::string_view text, std::size_t longest)
{
    constexpr std::string_view hexDigits = "0123456789abcdef";
    constexpr unsigned char firstPrintable = 0x20;
    constexpr unsigned char deleteCharacter = 0x7f;
    std::string safe;
    std::string_view kept = text.substr(0, longest);
    // A cut never leaves half a UTF-8 character behind.
    if (kept.size() < text.size()) {
        constexpr unsigned char continuationMask = 0xc0;
        constexpr unsigned char continuation = 0x80;
        std::size_t end = kept.size();
        while (end > 0 && (static_cast<unsigned char>(kept[end - 1]) & continuationMask) == continuation) {
            --end;
        }
        if (end > 0 && static_cast<unsigned char>(kept[end - 1]) >= continuationMask) {
            --end;
        }
        kept = kept.substr(0, end);
    }
    safe.reserve(kept.size());
    for (const char c : kept) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            safe += "\\\\";
        } else if (byte < firstPrintable || byte == deleteCharacter) {
            safe += "\\x";
            safe += hexDigits[byte >> 4];
            safe += hexDigits[byte & 0xf];
        } else {
            safe += c;
        }
    }
    if (text.size() > longest) {
        safe += "... (" + decimal(static_cast<std::int64_t>(text.size())) + " bytes)";
    }
    return safe;
}

} // namespace brindle
