#pragma once

#include <QAbstractButton>

#include <functional>

namespace quillet {

// The "Edit" button in the middle of a hovered still's card: pencil symbol and title in black on a
// white capsule.
class ThumbnailEditButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit ThumbnailEditButton(std::function<void()> action, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quillet
