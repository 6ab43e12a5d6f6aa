#pragma once

#include "core/Annotation.hpp"

#include <array>
#include <optional>
#include <string_view>

namespace quillet {

// Which end of a new arrow carries the head: where the drag began or where it stopped.
// Stored as a preference under its raw value ("atStart", "atEnd").
enum class ArrowHead { atStart, atEnd };

inline constexpr std::array allArrowHeads{ArrowHead::atStart, ArrowHead::atEnd};
inline constexpr ArrowHead defaultArrowHead = ArrowHead::atStart;

[[nodiscard]] ArrowHead toggled(ArrowHead head);
// The arrow for a drag from `dragFrom` to `to`; its head ends up where `head` says.
[[nodiscard]] Annotation arrow(ArrowHead head, Point dragFrom, Point to);
[[nodiscard]] std::string_view rawValue(ArrowHead head);
[[nodiscard]] std::optional<ArrowHead> arrowHeadFromRawValue(std::string_view raw);

} // namespace quillet
