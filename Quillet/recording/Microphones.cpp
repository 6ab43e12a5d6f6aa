#include "Quillet/recording/Microphones.hpp"

#include <QCoreApplication>

#include <algorithm>

namespace quillet {

std::optional<Microphones::Device> Microphones::resolve(const std::optional<QString>& id) const
{
    if (!id) {
        return std::nullopt;
    }
    const auto devices = available();
    const auto found = std::find_if(devices.begin(), devices.end(),
                                    [&id](const Device& device) { return device.id == *id; });
    return found == devices.end() ? std::nullopt : std::optional<Device>(*found);
}

QString Microphones::fallbackDefaultName()
{
    return QCoreApplication::translate("Microphones", "Default microphone");
}

} // namespace quillet
