#pragma once

#include "Brindle/menu/SettingRow.hpp"

#include <functional>

namespace brindle {

class MenuSwitch;

// The "Open at login" setting. The switch shows what the desktop accepted: it asks `setEnabled` to
// change the registration and shows the state that call reports.
class OpenAtLoginRow : public SettingRow {
    Q_OBJECT

public:
    struct Registration {
        std::function<bool()> isEnabled;
        std::function<bool(bool)> setEnabled;
    };

    // The desktop's autostart entry.
    [[nodiscard]] static Registration autostart();

    OpenAtLoginRow(const AppBrand& brand, Registration registration, QWidget* parent = nullptr);

    [[nodiscard]] MenuSwitch& toggle() const;
};

} // namespace brindle
