#include "Quillet/app/SessionPlatform.hpp"

#include <QFileInfo>
#include <QLibraryInfo>

namespace quillet::SessionPlatform {
namespace {

[[nodiscard]] bool hasWaylandPlugin()
{
    return QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                             QStringLiteral("/platforms/libqwayland-generic.so"));
}

} // namespace

std::optional<std::string> choose(const DesktopSession& session)
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        return std::nullopt;
    }
    switch (session.kind) {
    case DesktopSession::Kind::x11:
    case DesktopSession::Kind::none:
        return std::nullopt;
    case DesktopSession::Kind::waylandWithXWayland:
        qputenv("QT_QPA_PLATFORM", "xcb");
        return std::nullopt;
    case DesktopSession::Kind::waylandOnly:
        if (!hasWaylandPlugin()) {
            return "quillet: this Wayland session runs no XWayland and Qt's Wayland support is not "
                   "installed (Debian: qt6-wayland)";
        }
        qputenv("QT_QPA_PLATFORM", "wayland");
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace quillet::SessionPlatform
