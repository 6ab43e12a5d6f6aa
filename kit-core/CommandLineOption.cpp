#include "kit-core/CommandLineOption.hpp"

#include <algorithm>

namespace brindle::CommandLineOption {

std::optional<std::string> value(std::string_view option, const std::vector<std::string>& arguments)
{
    const auto match = std::find(arguments.begin(), arguments.end(), option);
    if (match == arguments.end() || std::next(match) == arguments.end()) {
        return std::nullopt;
    }
    return *std::next(match);
}

} // namespace brindle::CommandLineOption
