#pragma once

// A window of one known colour filling its screen, and the check that a still shows that colour:
// what the Wayland tests capture and look for.
#include <QColor>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace quillet::testing {

inline const QColor windowColour(0x3a, 0x7b, 0xd5);

class ColourWindow : public QRasterWindow {
public:
    explicit ColourWindow(QColor colour = windowColour) : colour_(colour) {}

    // True once the compositor has shown the painted window: exposed is not yet painted, and painted
    // is not yet on the screen a still is taken from.
    [[nodiscard]] bool isShown() const { return shown_; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(QRect(QPoint(), size()), colour_);
        // The next update comes with the compositor's frame callback for this paint.
        if (!updateAsked_) {
            updateAsked_ = true;
            requestUpdate();
        }
    }

    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::UpdateRequest && updateAsked_) {
            shown_ = true;
        }
        return QRasterWindow::event(event);
    }

private:
    QColor colour_;
    bool updateAsked_ = false;
    bool shown_ = false;
};

// Colour differences a lossy encoding may leave, per channel.
inline constexpr int colourTolerance = 6;

// The corners and the centre of `image` are `colour`.
inline ::testing::AssertionResult showsWindowColour(const QImage& image, QColor colour = windowColour)
{
    const std::vector<QPoint> probes{{2, 2},
                                     {image.width() - 3, 2},
                                     {image.width() / 2, image.height() / 2},
                                     {2, image.height() - 3},
                                     {image.width() - 3, image.height() - 3}};
    for (const QPoint& probe : probes) {
        const QColor seen = image.pixelColor(probe);
        if (std::abs(seen.red() - colour.red()) > colourTolerance ||
            std::abs(seen.green() - colour.green()) > colourTolerance ||
            std::abs(seen.blue() - colour.blue()) > colourTolerance) {
            return ::testing::AssertionFailure()
                   << "pixel " << probe.x() << "," << probe.y() << " is " << seen.name().toStdString();
        }
    }
    return ::testing::AssertionSuccess();
}

} // namespace quillet::testing
