#include "Quillet/capture/PermissionAlertBox.hpp"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>

namespace quillet {

PermissionAlertBox::Choice PermissionAlertBox::show()
{
    QMessageBox box;
    box.setIcon(QMessageBox::Warning);
    box.setText(QCoreApplication::translate("AppState", "Quillet needs Screen Recording access"));
    box.setInformativeText(QCoreApplication::translate(
        "AppState",
        "Turn on Quillet in System Settings › Privacy & Security › Screen Recording, then reopen the "
        "app. macOS only applies this permission after the app restarts."));
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
