#pragma once

#include <QWidget>

#include <functional>
#include <optional>

namespace brindle {

// The bottom of a panel: a caption or the version, "Check for Updates" when the application offers
// it, and "Quit" (also Ctrl+Q while the panel has the keyboard).
class MenuFooter : public QWidget {
    Q_OBJECT

public:
    MenuFooter(const std::optional<QString>& caption, std::function<void()> checkForUpdates,
               std::function<void()> quit, QWidget* parent = nullptr);
};

} // namespace brindle
