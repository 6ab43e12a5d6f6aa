#pragma once

#include "core/TimeZone.hpp"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// New file names in the capture folder. Nothing here touches the file system: whether a name is in use
// is asked through the caller's predicate.
namespace quillet::FileNaming {

// The minimum width of the number in a numbered name.
inline constexpr int numberDigits = 5;

// Characters that may end a prefix without a space being put before the number.
inline constexpr std::array<char32_t, 4> separators{U' ', U'-', U'_', U'.'};

using NameInUse = std::function<bool(const std::string& name)>;

struct NumberedName {
    std::string name; // without extension
    std::int64_t number = 1;

    friend bool operator==(const NumberedName&, const NumberedName&) = default;
};

// "<prefix> 2025-01-31 <connector> 14.05.09.<extension>", or with " 2", " 3", … before the extension
// while `exists` reports the name (which includes the extension) as taken.
[[nodiscard]] std::string name(std::string_view prefix, std::string_view connector,
                               std::chrono::system_clock::time_point date, std::string_view extension,
                               const TimeZone& timeZone, const NameInUse& exists);

// The first number from `from` (at least 1) whose name, "<prefix> 00042" or "<prefix>00042" after a
// separator, `taken` does not report; `taken` sees the name without extension.
[[nodiscard]] NumberedName numbered(std::int64_t from, std::string_view prefix, const NameInUse& taken);

// The prefix without path separators, colons, NUL and newlines, and without leading dots and white
// space, so that it can neither leave the folder nor make a hidden file. Trailing white space stays.
[[nodiscard]] std::string cleanPrefix(std::string_view prefix);

} // namespace quillet::FileNaming
