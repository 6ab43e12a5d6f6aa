#pragma once

#include <cstdint>

// Virtual key codes (positions on an ANSI keyboard) of the keys the program refers to by name.
namespace brindle::KeyCode {

inline constexpr std::uint32_t d = 2;
inline constexpr std::uint32_t c = 8;
inline constexpr std::uint32_t deleteKey = 51; // Backspace; `delete` itself is a C++ keyword
inline constexpr std::uint32_t escape = 53;
inline constexpr std::uint32_t leftArrow = 123;
inline constexpr std::uint32_t rightArrow = 124;
inline constexpr std::uint32_t downArrow = 125;
inline constexpr std::uint32_t upArrow = 126;

} // namespace brindle::KeyCode
