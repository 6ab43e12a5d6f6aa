#pragma once

#include "kit-core/RawValueCases.hpp"
#include "kit-core/Shortcut.hpp"

#include <array>
#include <optional>
#include <string_view>

namespace quillet {

// What a global shortcut starts. The declaration order is the order of every list shown to the user.
enum class CaptureAction { screen, area, recording };

} // namespace quillet

template <> struct brindle::RawValueCases<quillet::CaptureAction> {
    static constexpr std::array cases{
        std::pair{quillet::CaptureAction::screen, std::string_view("screen")},
        std::pair{quillet::CaptureAction::area, std::string_view("area")},
        std::pair{quillet::CaptureAction::recording, std::string_view("recording")}};
};

namespace quillet {

inline constexpr auto allCaptureActions = brindle::allCases<CaptureAction>();

[[nodiscard]] constexpr std::string_view rawValue(CaptureAction action)
{
    return brindle::rawValue(action);
}

[[nodiscard]] constexpr std::optional<CaptureAction> captureActionFromRawValue(std::string_view raw)
{
    return brindle::fromRawValue<CaptureAction>(raw);
}

// The desktop's own screenshot shortcuts, ⇧⌘3, ⇧⌘4 and ⇧⌘5.
[[nodiscard]] constexpr brindle::Shortcut defaultShortcut(CaptureAction action)
{
    constexpr auto shiftCommand = brindle::Shortcut::modifierMask({.command = true, .shift = true});
    switch (action) {
    case CaptureAction::screen:
        return {20, shiftCommand};
    case CaptureAction::area:
        return {21, shiftCommand};
    case CaptureAction::recording:
        return {23, shiftCommand};
    }
    return brindle::Shortcut::none;
}

} // namespace quillet
