#include "Brindle/menu/OpenAtLoginRow.hpp"

#include "Brindle/LoginItem.hpp"
#include "Brindle/menu/KitText.hpp"
#include "Brindle/menu/MenuSwitch.hpp"

#include <QTimer>

namespace brindle {

OpenAtLoginRow::Registration OpenAtLoginRow::autostart()
{
    return {[] { return LoginItem::isEnabled(); }, [](bool on) { return LoginItem::setEnabled(on); }};
}

OpenAtLoginRow::OpenAtLoginRow(const AppBrand& brand, Registration registration, QWidget* parent)
    : SettingRow(brand, "power", KitText::openAtLogin(),
                 new MenuSwitch(brand, MenuSwitch::Size::mini, [](bool) {}), parent)
{
    auto& toggle = this->toggle();
    toggle.show(registration.isEnabled());
    connect(&toggle, &QAbstractButton::toggled, this, [this, setEnabled = registration.setEnabled](bool on) {
        const bool accepted = setEnabled(on);
        // Corrected after the click has finished toggling, so the switch ends on what the desktop has.
        QTimer::singleShot(0, this, [this, accepted] { this->toggle().show(accepted); });
    });
}

MenuSwitch& OpenAtLoginRow::toggle() const
{
    return static_cast<MenuSwitch&>(accessory());
}

} // namespace brindle
