#include "core/ActionRequest.hpp"

namespace quillet {
namespace {

constexpr std::string_view option = "--action";
constexpr std::string_view optionWithValue = "--action=";
constexpr std::string_view choices = "screen, area or record";

[[nodiscard]] ActionRequest failure(std::string text)
{
    return {std::nullopt, std::move(text)};
}

} // namespace

std::optional<CaptureAction> actionNamed(std::string_view name)
{
    for (const CaptureAction action : allCaptureActions) {
        if (name == actionName(action)) {
            return action;
        }
    }
    return std::nullopt;
}

std::string_view actionName(CaptureAction action)
{
    switch (action) {
    case CaptureAction::screen:
        return "screen";
    case CaptureAction::area:
        return "area";
    case CaptureAction::recording:
        return "record";
    }
    return "";
}

ActionRequest ActionRequest::parse(const std::vector<std::string>& arguments)
{
    std::optional<std::string_view> name;
    for (std::size_t index = 1; index < arguments.size(); ++index) {
        const std::string_view argument = arguments[index];
        std::optional<std::string_view> value;
        if (argument == option) {
            if (index + 1 == arguments.size()) {
                return failure("--action needs an action: " + std::string(choices));
            }
            value = arguments[++index];
        } else if (argument.starts_with(optionWithValue)) {
            value = argument.substr(optionWithValue.size());
        } else {
            continue;
        }
        if (name) {
            return failure("--action may be given only once");
        }
        name = value;
    }
    if (!name) {
        return {};
    }
    if (const auto action = actionNamed(*name)) {
        return {action, {}};
    }
    return failure("unknown action \"" + std::string(*name) + "\": use " + std::string(choices));
}

} // namespace quillet
