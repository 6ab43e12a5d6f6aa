#include "core/PrefixLength.hpp"

namespace quillet::PrefixLength {

std::string limited(std::string_view prefix)
{
    if (prefix.size() <= maximumBytes) {
        return std::string(prefix);
    }
    std::size_t end = maximumBytes;
    // Back up over continuation bytes (10xxxxxx) to the start of the character that does not fit.
    while (end > 0 && (static_cast<unsigned char>(prefix[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(prefix.substr(0, end));
}

} // namespace quillet::PrefixLength
