#pragma once

#include <QAbstractButton>
#include <QFont>

#include <functional>
#include <string>

namespace brindle {

struct AppBrand;

// A capsule button: prominent ones are filled with the brand's accent and white text, the others
// faintly tinted; drawn lighter while pressed.
class PillButton : public QAbstractButton {
    Q_OBJECT

public:
    PillButton(const AppBrand& brand, const QString& text, bool prominent, std::function<void()> action,
               QWidget* parent = nullptr);

    // A symbol before the text.
    void setSymbol(std::string symbol);
    // Rounded corners of this radius instead of a capsule.
    void setCornerRadius(qreal radius);
    void setAccent(const QColor& accent);
    void setTextPoints(qreal points, QFont::Weight weight);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    [[nodiscard]] qreal symbolWidth() const;
    void paintEvent(QPaintEvent* event) override;

private:
    QColor accent_;
    bool prominent_;
    std::string symbol_;
    qreal cornerRadius_ = -1;
    qreal textPoints_ = 11;
    QFont::Weight weight_ = QFont::DemiBold;
};

} // namespace brindle
