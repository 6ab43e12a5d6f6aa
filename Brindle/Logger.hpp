#pragma once

#include "kit-core/LogFormat.hpp"

#include <QLoggingCategory>
#include <QString>

#include <array>
#include <concepts>
#include <string>
#include <string_view>

namespace brindle {

// Writes the program's messages to one log category. Messages are format strings with typed
// placeholders (see LogFormat); `log` is the default level for progress, `error` for failures.
class Logger {
public:
    explicit Logger(const QLoggingCategory& category) : category_(&category) {}

    template <typename... Arguments> void log(std::string_view format, const Arguments&... arguments) const
    {
        const std::array<LogArgument, sizeof...(Arguments)> values{argument(arguments)...};
        output(QtInfoMsg, LogFormat::render(format, values));
    }

    template <typename... Arguments> void error(std::string_view format, const Arguments&... arguments) const
    {
        const std::array<LogArgument, sizeof...(Arguments)> values{argument(arguments)...};
        output(QtWarningMsg, LogFormat::render(format, values));
    }

    [[nodiscard]] const QLoggingCategory& category() const { return *category_; }

private:
    void output(QtMsgType type, const std::string& message) const;

    static LogArgument argument(bool value) { return value; }
    static LogArgument argument(const QString& value) { return value.toStdString(); }
    static LogArgument argument(const std::string& value) { return value; }
    static LogArgument argument(std::string_view value) { return std::string(value); }
    static LogArgument argument(const char* value) { return std::string(value ? value : ""); }
    static LogArgument argument(std::floating_point auto value) { return static_cast<double>(value); }
    template <std::integral Integer>
    requires(!std::same_as<Integer, bool>) static LogArgument argument(Integer value)
    {
        return static_cast<std::int64_t>(value);
    }

    const QLoggingCategory* category_;
};

} // namespace brindle
