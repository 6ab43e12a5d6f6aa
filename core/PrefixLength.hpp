#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quillet::PrefixLength {

// Longest file name the usual Linux file systems accept, in bytes.
inline constexpr std::size_t nameBytes = 255;
// What a numbered name adds to its prefix at most: a space, the largest 64-bit number and ".webp".
inline constexpr std::size_t addedBytes = 1 + 19 + 5;
inline constexpr std::size_t maximumBytes = nameBytes - addedBytes;

// The longest start of `prefix` (UTF-8) that fits in maximumBytes, never cutting a character apart.
[[nodiscard]] std::string limited(std::string_view prefix);

} // namespace quillet::PrefixLength
