#include "Brindle/KeyRepeatFilter.hpp"

namespace brindle {

bool KeyRepeatFilter::isNewPress(std::uint32_t keyCode, std::uint32_t time)
{
    const bool wasDown = !down_.insert(keyCode).second;
    if (wasDown) {
        return false;
    }
    const auto release = lastRelease_.find(keyCode);
    return release == lastRelease_.end() || release->second != time;
}

void KeyRepeatFilter::released(std::uint32_t keyCode, std::uint32_t time)
{
    down_.erase(keyCode);
    lastRelease_[keyCode] = time;
}

} // namespace brindle
