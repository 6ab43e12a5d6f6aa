#pragma once

#include "Brindle/Logger.hpp"

#include <QString>

#include <string_view>

namespace brindle {

// The application's identity as the build made it, and its loggers.
struct AppInfo {
    // The reverse-DNS identifier the program is known by: log subsystem, autostart entry name.
    static constexpr std::string_view bundleIdentifier = "app.quillet.Quillet";
    static constexpr std::string_view name = "Quillet";

    // The version the build was made for, or "dev" when the build did not say.
    [[nodiscard]] static QString version();

    // The logger of one category ("capture", "login-item"); its log category is named
    // "<bundleIdentifier>.<category>". Every call for the same category writes to the same
    // category object, which lives until the process ends.
    [[nodiscard]] static Logger logger(std::string_view category);
};

} // namespace brindle
