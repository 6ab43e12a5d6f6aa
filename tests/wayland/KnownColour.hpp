#pragma once

// A window of one known colour filling its screen, and the check that a still shows that colour:
// what the Wayland tests capture and look for.
#include <QColor>
#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QRasterWindow>
#include <QSize>

#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace quillet::testing {

inline const QColor windowColour(0x3a, 0x7b, 0xd5);

class ColourWindow : public QRasterWindow {
public:
    explicit ColourWindow(QColor colour = windowColour) : colour_(colour) {}

    // True once the compositor has shown the window painted at its present size: exposed is not yet
    // painted, and a window asked to fill its screen is first painted at another size.
    [[nodiscard]] bool isShown() const { return paintedSize_ == size() && framesShown_ >= framesToBeSure; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(QRect(QPoint(), size()), colour_);
        if (paintedSize_ != size()) {
            paintedSize_ = size();
            framesShown_ = 0;
            requestUpdate();
        }
    }

    // An update request comes with the compositor's frame callback for the last paint sent, once one
    // was sent. Each one here sends another paint, so from the second on, a paint at this size has been
    // shown.
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::UpdateRequest && framesShown_ < framesToBeSure) {
            ++framesShown_;
            update();
        }
        return QRasterWindow::event(event);
    }

private:
    static constexpr int framesToBeSure = 3;
    QColor colour_;
    QSize paintedSize_;
    int framesShown_ = 0;
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
