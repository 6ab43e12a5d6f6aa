#include "Brindle/shell/MenuBarController.hpp"

#include "Brindle/menu/KitText.hpp"
#include "Brindle/shell/PanelPlacement.hpp"
#include "Brindle/shell/TrayIconImage.hpp"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

namespace brindle {

MenuBarController::MenuBarController(Options options, QObject* parent)
    : QObject(parent), options_(std::move(options))
{
    const bool trayRuns = QSystemTrayIcon::isSystemTrayAvailable();
    panel_ = std::make_unique<PanelWindow>(trayRuns ? PanelWindow::Kind::popup : PanelWindow::Kind::window,
                                           options_.title, options_.makeContent);
    makeTrayIcon();
    if (!trayRuns) {
        open();
    }
}

MenuBarController::~MenuBarController() = default;

void MenuBarController::makeTrayIcon()
{
    // Made even without a tray: a tray that starts later takes the icon.
    trayIcon_ = new QSystemTrayIcon(this);
    trayIcon_->setToolTip(options_.title);
    menu_ = std::make_unique<QMenu>();
    // Some trays never report a plain click; the menu always offers the panel.
    menu_->addAction(KitText::open(), this, [this] { open(); });
    menu_->addAction(KitText::quit(), this, [this] { options_.quit(); });
    trayIcon_->setContextMenu(menu_.get());
    connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::MiddleClick) {
            toggle();
        }
    });
    updateIcon();
    trayIcon_->show();
}

void MenuBarController::open()
{
    if (panel_->isVisible() && !panel_->isMinimized()) {
        panel_->raise();
        panel_->activateWindow();
        return;
    }
    panel_->present([this](const QSize& size) { return panelOrigin(size); });
}

void MenuBarController::close()
{
    if (panel_->isVisible()) {
        panel_->hide();
    }
}

void MenuBarController::toggle()
{
    if (panel_->isVisible()) {
        close();
        return;
    }
    if (panel_->sinceHidden() < reopenGuard.count()) {
        return;
    }
    open();
}

QPoint MenuBarController::panelOrigin(const QSize& size) const
{
    // Trays that speak the newer protocol do not say where the icon is; the pointer stands in.
    QRect anchor = trayIcon_ ? trayIcon_->geometry() : QRect();
    if (!anchor.isValid() || anchor.isEmpty()) {
        anchor = QRect(QCursor::pos(), QSize(1, 1));
    }
    const QScreen* screen = QGuiApplication::screenAt(anchor.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    if (!screen) {
        return anchor.topLeft();
    }
    if (panel_->kind() == PanelWindow::Kind::window) {
        // A window opens in the middle of the work area.
        const QRect area = screen->availableGeometry();
        return area.center() - QPoint(size.width() / 2, size.height() / 2);
    }
    return PanelPlacement::origin(anchor, size, screen->geometry(), screen->availableGeometry());
}

void MenuBarController::updateIcon()
{
    const std::string symbol = options_.symbol();
    const QIcon icon = TrayIconImage::icon(symbol, options_.iconColour, options_.dotColour, showsBadge_);
    // A symbol the catalogue does not know keeps the previous image.
    if (icon.isNull() || !trayIcon_) {
        return;
    }
    shownSymbol_ = symbol;
    trayIcon_->setIcon(icon);
}

void MenuBarController::showBadge(bool shown)
{
    if (shown == showsBadge_) {
        return;
    }
    showsBadge_ = shown;
    updateIcon();
}

} // namespace brindle
