#include "Quillet/shell/FolderDialog.hpp"

#include <QCoreApplication>
#include <QFileDialog>

namespace quillet {

std::optional<QString> FolderDialog::choose(const QString& start)
{
    QFileDialog dialog(nullptr, QString(), start);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setLabelText(QFileDialog::Accept, QCoreApplication::translate("AppState", "Choose"));
    // A tray program has no window in front: the dialog brings itself there.
    dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    dialog.raise();
    dialog.activateWindow();
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace quillet
