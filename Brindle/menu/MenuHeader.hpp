#pragma once

#include "Brindle/menu/AppBrand.hpp"

#include <QWidget>

#include <functional>

namespace brindle {

class MenuSwitch;
class TextLine;

// The top of a panel: the glyph, the application's name, a status line with its coloured dot, and
// the master switch.
class MenuHeader : public QWidget {
    Q_OBJECT

public:
    MenuHeader(const AppBrand& brand, std::function<void(bool)> switched, QWidget* parent = nullptr);

    // Shows a state without reporting anything.
    void show(const QString& status, const QColor& statusColour, bool isOn, const QString& switchHelp);

    [[nodiscard]] MenuSwitch& masterSwitch() const { return *switch_; }
    [[nodiscard]] QString statusText() const;

private:
    class Dot;

    Dot* dot_;
    TextLine* status_;
    MenuSwitch* switch_;
};

} // namespace brindle
