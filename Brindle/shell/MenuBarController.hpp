#pragma once

#include "Brindle/shell/PanelWindow.hpp"

#include <QColor>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

class QMenu;
class QSystemTrayIcon;

namespace brindle {

// The tray side of an application: an icon in the desktop's tray that shows the current status
// symbol (with a dot while a reminder is due) and opens the panel next to itself. Where no tray runs
// the panel is an ordinary window, shown at start, so the program is never invisible.
class MenuBarController : public QObject {
    Q_OBJECT

public:
    // A click on the icon this soon after the panel closed is the click that closed it.
    static constexpr std::chrono::milliseconds reopenGuard{300};

    struct Options {
        QString title;
        std::function<QWidget*()> makeContent;
        // The symbol name to show now.
        std::function<std::string()> symbol;
        QColor iconColour;
        QColor dotColour;
        std::function<void()> quit;
    };

    explicit MenuBarController(Options options, QObject* parent = nullptr);
    ~MenuBarController() override;

    [[nodiscard]] bool hasTray() const { return trayIcon_ != nullptr; }
    [[nodiscard]] PanelWindow& panel() const { return *panel_; }

    void open();
    void close();
    // What a click on the icon does.
    void toggle();

    // Re-reads the symbol and redraws the icon.
    void updateIcon();
    void showBadge(bool shown);
    [[nodiscard]] bool showsBadge() const { return showsBadge_; }

private:
    void makeTrayIcon();
    [[nodiscard]] QPoint panelOrigin(const QSize& size) const;

    Options options_;
    std::unique_ptr<PanelWindow> panel_;
    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon* trayIcon_ = nullptr;
    std::string shownSymbol_;
    bool showsBadge_ = false;
};

} // namespace brindle
