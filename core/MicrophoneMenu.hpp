#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillet::MicrophoneMenu {

// The microphone shown as checked in the recording menu: none while sound is off, else the chosen one
// if it is still connected, else the first available one.
[[nodiscard]] std::optional<std::string> checkedID(bool isOn, const std::optional<std::string>& chosenID,
                                                   const std::vector<std::string>& available);

} // namespace quillet::MicrophoneMenu
