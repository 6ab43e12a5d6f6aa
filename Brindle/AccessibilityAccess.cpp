#include "Brindle/AccessibilityAccess.hpp"

#include <QGuiApplication>

namespace brindle {

bool AccessibilityAccess::isTrusted()
{
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool AccessibilityAccess::requestIfNeeded()
{
    return isTrusted();
}

} // namespace brindle
