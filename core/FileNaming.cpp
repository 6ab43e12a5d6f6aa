#include "core/FileNaming.hpp"

#include "core/UnicodeText.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace quillet::FileNaming {
namespace {

[[nodiscard]] std::string dateStamp(const LocalDateTime& time, std::string_view connector)
{
    char date[64];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", time.year, time.month, time.day);
    char clock[64];
    std::snprintf(clock, sizeof clock, "%02d.%02d.%02d", time.hour, time.minute, time.second);
    std::string stamp = date;
    stamp += ' ';
    stamp += connector;
    stamp += ' ';
    stamp += clock;
    return stamp;
}

[[nodiscard]] std::string paddedNumber(std::int64_t number)
{
    std::string digits = std::to_string(number);
    if (digits.size() < static_cast<std::size_t>(numberDigits)) {
        digits.insert(0, static_cast<std::size_t>(numberDigits) - digits.size(), '0');
    }
    return digits;
}

[[nodiscard]] bool endsWithSeparator(const std::u32string& text)
{
    return !text.empty() && std::find(separators.begin(), separators.end(), text.back()) != separators.end();
}

// "/" would leave the folder and NUL would cut the name short; ":" and newlines are kept out as well
// because file managers and shells show them badly.
[[nodiscard]] bool isForbiddenInName(char32_t c)
{
    return c == U'/' || c == U':' || c == U'\0' || UnicodeText::isNewline(c);
}

[[nodiscard]] bool isLeadingJunk(char32_t c)
{
    return c == U'.' || UnicodeText::isWhiteSpace(c);
}

// The longest start of `text` whose UTF-8 takes at most `bytes`.
[[nodiscard]] std::u32string cutToFit(std::u32string text, std::size_t bytes)
{
    std::size_t used = 0;
    for (std::size_t kept = 0; kept < text.size(); ++kept) {
        used += UnicodeText::encode(std::u32string_view(text).substr(kept, 1)).size();
        if (used > bytes) {
            text.resize(kept);
            break;
        }
    }
    return text;
}

} // namespace

std::optional<std::string> name(std::string_view prefix, std::string_view connector,
                                std::chrono::system_clock::time_point date, std::string_view extension,
                                const TimeZone& timeZone, const NameInUse& exists)
{
    std::string base(prefix);
    base += ' ';
    base += dateStamp(timeZone.localDateTime(date), connector);
    const std::string suffix = "." + std::string(extension);

    std::string candidate = base + suffix;
    for (int copy = 2; copy <= maximumCandidates + 1; ++copy) {
        switch (exists(candidate)) {
        case NameUse::free:
            return candidate;
        case NameUse::unknown:
            return std::nullopt;
        case NameUse::taken:
            break;
        }
        candidate = base + " " + std::to_string(copy) + suffix;
    }
    return std::nullopt;
}

std::optional<NumberedName> numbered(std::int64_t from, std::string_view prefix, std::size_t maximumNameBytes,
                                     const NameInUse& taken)
{
    const std::size_t separatorBytes = 1;
    const std::size_t prefixBytes = maximumNameBytes > maximumNumberDigits + separatorBytes
                                        ? maximumNameBytes - maximumNumberDigits - separatorBytes
                                        : 0;
    const std::u32string clean = cutToFit(UnicodeText::decode(cleanPrefix(prefix)), prefixBytes);
    std::string lead = UnicodeText::encode(clean);
    if (!clean.empty() && !endsWithSeparator(clean)) {
        lead += ' ';
    }

    std::int64_t number = std::max<std::int64_t>(from, 1);
    for (int tried = 0; tried < maximumCandidates; ++tried) {
        std::string candidate = lead + paddedNumber(number);
        switch (taken(candidate)) {
        case NameUse::free:
            return NumberedName{std::move(candidate), number};
        case NameUse::unknown:
            return std::nullopt;
        case NameUse::taken:
            break;
        }
        // Past the largest number, start again from 1 rather than overflow.
        number = number == std::numeric_limits<std::int64_t>::max() ? 1 : number + 1;
    }
    return std::nullopt;
}

std::string cleanPrefix(std::string_view prefix)
{
    std::u32string text = UnicodeText::decode(prefix);
    std::erase_if(text, isForbiddenInName);
    const auto firstKept = std::find_if_not(text.begin(), text.end(), isLeadingJunk);
    text.erase(text.begin(), firstKept);
    return UnicodeText::encode(text);
}

} // namespace quillet::FileNaming
