#pragma once

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>

namespace brindle {

// Enumerations stored and serialised by a string raw value plug in by specialising this template
// with `static constexpr std::array cases`, a list of (case, raw value) pairs in declaration order:
//
//     template <> struct brindle::RawValueCases<FileNamingStyle> {
//         static constexpr std::array cases{std::pair{FileNamingStyle::date, std::string_view("date")}, ...};
//     };
template <class E> struct RawValueCases;

template <class E>
concept RawValueEnumeration = std::is_enum_v<E> && requires
{
    {
        RawValueCases<E>::cases.size()
        } -> std::convertible_to<std::size_t>;
};

// Empty for a value that is none of the listed cases.
template <RawValueEnumeration E> [[nodiscard]] constexpr std::string_view rawValue(E value)
{
    for (const auto& [candidate, raw] : RawValueCases<E>::cases) {
        if (candidate == value) {
            return raw;
        }
    }
    return {};
}

// Absent unless `raw` is exactly (case-sensitively) the raw value of a case.
template <RawValueEnumeration E> [[nodiscard]] constexpr std::optional<E> fromRawValue(std::string_view raw)
{
    for (const auto& [candidate, candidateRaw] : RawValueCases<E>::cases) {
        if (candidateRaw == raw) {
            return candidate;
        }
    }
    return std::nullopt;
}

// Every case, in declaration order.
template <RawValueEnumeration E> [[nodiscard]] constexpr auto allCases()
{
    constexpr auto& cases = RawValueCases<E>::cases;
    std::array<E, cases.size()> result{};
    std::transform(cases.begin(), cases.end(), result.begin(), [](const auto& entry) { return entry.first; });
    return result;
}

} // namespace brindle
