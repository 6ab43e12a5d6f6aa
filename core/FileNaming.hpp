#pragma once

#include "core/TimeZone.hpp"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// New file names in the capture folder. Nothing here touches the file system: whether a name is in use
// is asked through the caller's predicate.
namespace quillet::FileNaming {

// The minimum width of the number in a numbered name.
inline constexpr int numberDigits = 5;

// Characters that may end a prefix without a space being put before the number.
inline constexpr std::array<char32_t, 4> separators{U' ', U'-', U'_', U'.'};

// How many names a search tries before it gives up: a folder that answers "taken" to every name (or
// a check that keeps failing) must not stall the caller for good.
inline constexpr int maximumCandidates = 10'000;

// The most digits a numbered name's number can have (the largest 64-bit number).
inline constexpr std::size_t maximumNumberDigits = 19;

enum class NameUse { free, taken, unknown };

// `unknown` (the check itself failed) ends the search at once.
using NameInUse = std::function<NameUse(const std::string& name)>;

struct NumberedName {
    std::string name; // without extension
    std::int64_t number = 1;

    friend bool operator==(const NumberedName&, const NumberedName&) = default;
};

// "<prefix> 2025-01-31 <connector> 14.05.09.<extension>", or with " 2", " 3", … before the extension
// while `exists` reports the name (which includes the extension) as taken. Absent when a check failed
// or `maximumCandidates` names were all taken.
[[nodiscard]] std::optional<std::string> name(std::string_view prefix, std::string_view connector,
                                              std::chrono::system_clock::time_point date,
                                              std::string_view extension, const TimeZone& timeZone,
                                              const NameInUse& exists);

// The first number from `from` (at least 1) whose name, "<prefix> 00042" or "<prefix>00042" after a
// separator, `taken` does not report; `taken` sees the name without extension. The cleaned prefix is
// cut at a character boundary so that every name, whatever its number, fits in `maximumNameBytes`.
// Absent when a check failed or `maximumCandidates` numbers were all taken.
[[nodiscard]] std::optional<NumberedName> numbered(std::int64_t from, std::string_view prefix,
                                                   std::size_t maximumNameBytes, const NameInUse& taken);

// The prefix without path separators, colons, NUL and newlines, and without leading dots and white
// space, so that it can neither leave the folder nor make a hidden file. Trailing white space stays.
[[nodiscard]] std::string cleanPrefix(std::string_view prefix);

} // namespace quillet::FileNaming
