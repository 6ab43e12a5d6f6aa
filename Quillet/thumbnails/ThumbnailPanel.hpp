#pragma once

#include <QRect>
#include <QWidget>

#include <memory>

namespace brindle {
class KeepAbove;
}

namespace quillet {

class Thumbnails;
class ThumbnailStackView;

// The floating window that holds the thumbnail stack: above other windows, on every workspace,
// never taking the keyboard focus or activating the program. With a compositing manager it is
// translucent and the cards cast shadows; without one the window is cut to the cards' outlines so
// no dark box shows around them.
class ThumbnailPanel : public QWidget {
    Q_OBJECT

public:
    explicit ThumbnailPanel(Thumbnails& model);
    ~ThumbnailPanel() override;

    // Places the panel. While a card slides out above the others the window keeps the height
    // that card needs and shrinks to `frame` when it is gone.
    void setFrame(const QRect& frame);
    [[nodiscard]] QRect frame() const { return frame_; }
    // Places the panel for `count` cards in the corner of `available`.
    void placeIn(const QRect& available, int count) { setFrame(frameFor(available, count)); }

    // Where the panel goes for `count` cards: flush with the bottom-right corner of `available`
    // (a screen's geometry without panels and docks), 252 wide.
    [[nodiscard]] static QRect frameFor(const QRect& available, int count);

    // Shows the panel above other windows without activating the program.
    void present();

    [[nodiscard]] bool isTranslucent() const { return isTranslucent_; }
    [[nodiscard]] ThumbnailStackView& stackView() const { return *stackView_; }

protected:
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void configureWindow(bool translucent);
    void applyGeometry();
    void updateShape();

    Thumbnails& model_;
    ThumbnailStackView* stackView_;
    // Outside the window manager's care, the panel goes back above windows the manager raises over it.
    std::unique_ptr<brindle::KeepAbove> keepAbove_;
    QRect frame_;
    bool isTranslucent_ = false;
};

} // namespace quillet
