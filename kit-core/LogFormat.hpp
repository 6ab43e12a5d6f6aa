#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace brindle {

// One value for a placeholder of a log message.
using LogArgument = std::variant<std::string, std::int64_t, double, bool>;

// Renders a log message the way the unified log shows its format strings, so that messages read
// the same on every platform: "%{public}s" and "%s" take text, "%{bool}d" shows true or false,
// "%ld", "%d", "%lld", "%lu" and "%u" show a decimal number, "%f" a real, "%%" a percent sign.
// Placeholders take the arguments in order; one without an argument renders as nothing, and an
// unknown placeholder is kept as written.
struct LogFormat {
    [[nodiscard]] static std::string render(std::string_view format, std::span<const LogArgument> arguments);

    // Text from outside the program made safe for one log line: control characters (a newline that
    // would forge a line, a terminal's escape) written as \xNN, a backslash doubled, and anything
    // beyond `longest` bytes cut and marked, so a hostile caller cannot flood the log.
    static constexpr std::size_t longestOutsideText = 200;
    [[nodiscard]] static std::string outsideText(std::string_view text, std::size_t longest = longestOutsideText);
};

} // namespace brindle
