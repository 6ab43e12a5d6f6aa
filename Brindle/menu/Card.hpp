#pragma once

#include <QVBoxLayout>
#include <QWidget>

namespace brindle {

// A rounded, faintly tinted card holding its content padded on every side, as wide as its parent.
class Card : public QWidget {
    Q_OBJECT

public:
    static constexpr qreal cornerRadius = 12;

    explicit Card(int padding, QWidget* parent = nullptr);

    // Where the content goes.
    [[nodiscard]] QVBoxLayout& content() const { return *content_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* content_;
};

} // namespace brindle
