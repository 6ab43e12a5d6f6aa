#include "Brindle/menu/KitText.hpp"

#include <QCoreApplication>

namespace brindle {
namespace {

[[nodiscard]] QString kit(const char* key)
{
    return QCoreApplication::translate("Brindle", key);
}

} // namespace

QString KitText::openSettings()
{
    // The desktop's settings program has no one name across desktops.
    return kit("Open Settings");
}

QString KitText::openAtLogin()
{
    return kit("Open at login");
}

QString KitText::privateByDesign()
{
    return kit("Private by design");
}

QString KitText::version(const QString& version)
{
    return kit("Version ") + version;
}

QString KitText::checkForUpdates()
{
    return kit("Check for Updates");
}

QString KitText::quit()
{
    return kit("Quit");
}

QString KitText::open()
{
    return kit("Open");
}

QString KitText::updateTitle()
{
    return kit("A new version may be out");
}

QString KitText::updateMessage()
{
    return kit("This app never goes online, so it can't check by itself. Checking on the website takes one "
               "click.");
}

QString KitText::check()
{
    return kit("Check");
}

QString KitText::notNow()
{
    return kit("Not Now");
}

} // namespace brindle
