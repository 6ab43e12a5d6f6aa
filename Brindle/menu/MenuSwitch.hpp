#pragma once

#include <QAbstractButton>

#include <functional>

namespace brindle {

struct AppBrand;

// An on/off switch: a capsule in the accent colour with the white knob at its end when on, a faint
// capsule with the knob at its start when off. Clicking flips it and reports the new value.
class MenuSwitch : public QAbstractButton {
    Q_OBJECT

public:
    enum class Size { mini, small };

    MenuSwitch(const AppBrand& brand, Size size, std::function<void(bool)> changed,
               QWidget* parent = nullptr);

    // Shows a value without reporting it.
    void show(bool on);
    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor accent_;
    Size size_;
};

} // namespace brindle
