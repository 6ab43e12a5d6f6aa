#include "core/MicrophoneMenu.hpp"

#include <algorithm>

namespace quillet::MicrophoneMenu {

std::optional<std::string> checkedID(bool isOn, const std::optional<std::string>& chosenID,
                                     const std::vector<std::string>& available)
{
    if (!isOn) {
        return std::nullopt;
    }
    if (chosenID && std::find(available.begin(), available.end(), *chosenID) != available.end()) {
        return chosenID;
    }
    if (available.empty()) {
        return std::nullopt;
    }
    return available.front();
}

} // namespace quillet::MicrophoneMenu
