#pragma once

#include "core/CaptureAction.hpp"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillet {

// What `--action NAME` on the command line asks of the program: a capture action for the running
// copy, as a desktop's own key binding runs it.
struct ActionRequest {
    std::optional<CaptureAction> action; // absent when the arguments ask for none
    std::string error;                   // why the arguments are wrong; empty when they are fine

    // Takes "--action NAME" and "--action=NAME", once.
    [[nodiscard]] static ActionRequest parse(const std::vector<std::string>& arguments);

    friend bool operator==(const ActionRequest&, const ActionRequest&) = default;
};

// The names a command line or a message uses: "screen", "area" and "record".
[[nodiscard]] std::optional<CaptureAction> actionNamed(std::string_view name);
[[nodiscard]] std::string_view actionName(CaptureAction action);

} // namespace quillet
