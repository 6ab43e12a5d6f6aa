#pragma once

#include "tools/screencapture/cli/Command.hpp"

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quillet::screencapture {

struct HelpRequest {
    friend bool operator==(const HelpRequest&, const HelpRequest&) = default;
};

// One line that names what is wrong with the command line.
struct UsageError {
    std::string message;

    friend bool operator==(const UsageError&, const UsageError&) = default;
};

using ParseResult = std::variant<Command, HelpRequest, UsageError>;

namespace ArgumentParser {

// The arguments without the program name.
[[nodiscard]] ParseResult parse(const std::vector<std::string>& arguments);

// Parses "x,y,w,h": four decimal integers, no spaces, width and height above zero.
[[nodiscard]] std::optional<Region> region(std::string_view text);

[[nodiscard]] std::string_view usage();

} // namespace ArgumentParser
} // namespace quillet::screencapture
