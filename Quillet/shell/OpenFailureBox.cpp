#include "Quillet/shell/OpenFailureBox.hpp"

#include "Quillet/shell/PanelText.hpp"

#include <QMessageBox>

namespace quillet {

void OpenFailureBox::show(const QUrl& address)
{
    // Shown without waiting: the panel that asked has closed, and the program keeps serving the keys.
    auto* box = new QMessageBox(QMessageBox::Warning, PanelText::openFailedTitle(),
                                PanelText::openFailedMessage(address.toDisplayString(QUrl::PreferLocalFile)));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    box->open();
    box->raise();
    box->activateWindow();
}

} // namespace quillet
