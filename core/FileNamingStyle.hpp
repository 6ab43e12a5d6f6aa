#pragma once

#include "kit-core/RawValueCases.hpp"

#include <array>
#include <string_view>
#include <utility>

namespace quillet {

// How new capture files are named: by the date and time of the capture, or by a running number after
// the user's prefix. The declaration order is the order of the menu.
enum class FileNamingStyle { date, number };

inline constexpr FileNamingStyle defaultFileNamingStyle = FileNamingStyle::date;

} // namespace quillet

template <> struct brindle::RawValueCases<quillet::FileNamingStyle> {
    static constexpr std::array cases{
        std::pair{quillet::FileNamingStyle::date, std::string_view("date")},
        std::pair{quillet::FileNamingStyle::number, std::string_view("number")}};
};

namespace quillet {

inline constexpr auto allFileNamingStyles = brindle::allCases<FileNamingStyle>();

} // namespace quillet
