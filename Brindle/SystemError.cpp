#include "Brindle/SystemError.hpp"

#include <cstring>

namespace brindle {

namespace {
constexpr std::size_t messageCapacity = 256;
}

QString systemErrorText(int error)
{
    char buffer[messageCapacity] = {};
    // The GNU strerror_r returns either its own static text or the buffer it filled.
    return QString::fromLocal8Bit(strerror_r(error, buffer, sizeof buffer));
}

} // namespace brindle
