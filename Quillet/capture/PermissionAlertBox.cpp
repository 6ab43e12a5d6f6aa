#include "Quillet/capture/PermissionAlertBox.hpp"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace quillet {

PermissionAlertBox::Choice PermissionAlertBox::show()
{
    QMessageBox box;
    box.setIcon(QMessageBox::Warning);
    box.setText(QCoreApplication::translate("AppState", "Quillet cannot see the screen"));
    // Linux has no per-application permission: what is missing is a way in, the desktop's portal.
    box.setInformativeText(QCoreApplication::translate(
        "AppState",
        "This desktop session gives programs no way to capture the screen. On Wayland, install your "
        "desktop's portal (xdg-desktop-portal-gnome, -kde or -wlr) or log in to an X11 session, then "
        "reopen Quillet."));
    QPushButton* openSettings = box.addButton(QCoreApplication::translate("Brindle", "Open System Settings"),
                                              QMessageBox::AcceptRole);
    QPushButton* reopen =
        box.addButton(QCoreApplication::translate("AppState", "Reopen app"), QMessageBox::ActionRole);
    box.addButton(QCoreApplication::translate("AppState", "Cancel"), QMessageBox::RejectRole);
    box.setDefaultButton(openSettings);
    box.raise();
    box.activateWindow();
    box.exec();
    if (box.clickedButton() == openSettings) {
        return Choice::openSystemSettings;
    }
    if (box.clickedButton() == reopen) {
        return Choice::reopenApp;
    }
    return Choice::cancel;
}

} // namespace quillet
