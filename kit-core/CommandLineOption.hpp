#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::CommandLineOption {

// The argument right after the first argument that equals `option` exactly, whatever it is.
// Absent when the option is missing or is the last argument.
[[nodiscard]] std::optional<std::string> value(std::string_view option,
                                               const std::vector<std::string>& arguments);

} // namespace brindle::CommandLineOption
