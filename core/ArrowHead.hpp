#pragma once

#include "core/Annotation.hpp"
#include "kit-core/RawValueCases.hpp"

#include <array>
#include <optional>
#include <string_view>

namespace quillet {

// Which end of a new arrow carries the head: where the drag began or where it stopped.
// A preference value, stored as its raw value ("atStart", "atEnd").
enum class ArrowHead { atStart, atEnd };

} // namespace quillet

template <> struct brindle::RawValueCases<quillet::ArrowHead> {
    static constexpr std::array cases{std::pair{quillet::ArrowHead::atStart, std::string_view("atStart")},
                                      std::pair{quillet::ArrowHead::atEnd, std::string_view("atEnd")}};
};

namespace quillet {

inline constexpr auto allArrowHeads = brindle::allCases<ArrowHead>();
inline constexpr ArrowHead defaultArrowHead = ArrowHead::atStart;

[[nodiscard]] constexpr std::string_view rawValue(ArrowHead head)
{
    return brindle::rawValue(head);
}

[[nodiscard]] constexpr std::optional<ArrowHead> arrowHeadFromRawValue(std::string_view raw)
{
    return brindle::fromRawValue<ArrowHead>(raw);
}

[[nodiscard]] ArrowHead toggled(ArrowHead head);
// The arrow for a drag from `dragFrom` to `to`; its head ends up where `head` says.
[[nodiscard]] Annotation arrow(ArrowHead head, Point dragFrom, Point to);

} // namespace quillet
