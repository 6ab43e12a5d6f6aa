#pragma once

#include <QWidget>

namespace brindle {

// A hairline between rows, starting `indent` points from the leading edge.
class Divider : public QWidget {
    Q_OBJECT

public:
    explicit Divider(int indent, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int indent_;
};

} // namespace brindle
