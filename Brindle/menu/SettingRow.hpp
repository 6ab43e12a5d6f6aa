#pragma once

#include <QWidget>

#include <string>

namespace brindle {

struct AppBrand;
class ActionIcon;

// One setting: an icon tile, its title, and the control that changes it at the trailing edge.
class SettingRow : public QWidget {
    Q_OBJECT

public:
    static constexpr int rowHeight = 38;

    SettingRow(const AppBrand& brand, const std::string& symbol, const QString& title, QWidget* accessory,
               QWidget* parent = nullptr);

    [[nodiscard]] QWidget& accessory() const { return *accessory_; }

private:
    QWidget* accessory_;
};

} // namespace brindle
