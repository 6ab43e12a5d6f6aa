// The recording area selector on a real X server: without a compositor, the screen's picture taken
// through shared memory, the frozen and dimmed picture the overlay shows, the clear selection, Escape;
// under a compositor that draws shadows, the translucent overlay dims by its own shade alone.
#include "Brindle/ScreenPicture.hpp"
#include "Quillet/recording/Microphones.hpp"
#include "Quillet/recording/OverlaySelector.hpp"

#include "tests/support/DesktopHelper.hpp"
#include "tests/support/WaitFor.hpp"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

namespace quillet {
namespace {

// Four colours in the quarters of a window at a known place.
const QRect patternArea(100, 120, 200, 100);
const QColor quarters[] = {QColor(250, 20, 30), QColor(10, 200, 40), QColor(5, 6, 240),
                           QColor(255, 255, 255)};

class Pattern : public QWidget {
public:
    Pattern() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
    {
        setGeometry(patternArea);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const int w = width() / 2;
        const int h = height() / 2;
        for (int i = 0; i < 4; ++i) {
            painter.fillRect((i % 2) * w, (i / 2) * h, w, h, quarters[i]);
        }
    }
};

QPoint quarterCentre(int i)
{
    return patternArea.topLeft() +
           QPoint((i % 2) * patternArea.width() / 2 + 50, (i / 2) * patternArea.height() / 2 + 25);
}

// What the toolkit draws for the overlay's dimming over `colour`.
QRgb dimmed(const QColor& colour)
{
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(colour);
    QPainter(&pixel).fillRect(0, 0, 1, 1, QColor(0, 0, 0, 77));
    return pixel.pixel(0, 0);
}

QRgb onScreen(QPoint at)
{
    return brindle::ScreenPicture::take(*QGuiApplication::primaryScreen()).pixel(at);
}

TEST(AreaSelectorOnX11, TheOverlayShowsTheFrozenScreenDimmedAndTheSelectionClear)
{
    QScreen& screen = *QGuiApplication::primaryScreen();
    Pattern pattern;
    pattern.show();
    ASSERT_TRUE(testing::waitFor([&] { return onScreen(quarterCentre(3)) == quarters[3].rgb(); }));

    const QImage picture = brindle::ScreenPicture::take(screen);
    ASSERT_EQ(picture.format(), QImage::Format_RGB32);
    EXPECT_EQ(picture.size(), screen.geometry().size());
    EXPECT_EQ(picture, screen.grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32))
        << "the same pixels as the toolkit's own grab";
    for (int i = 0; i < 4; ++i) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(quarterCentre(i).y()));
        EXPECT_EQ(row[quarterCentre(i).x()], quarters[i].rgb()) << "opaque, quarter " << i;
    }

    FixedMicrophones microphones;
    OverlaySelector::Platform frozen;
    frozen.beep = [] {};
    frozen.hasCompositing = [] { return false; };
    OverlaySelector selector(microphones, frozen);
    std::vector<AreaSelector::Result> results;
    selector.begin({}, [&](const AreaSelector::Result& result) { results.push_back(result); });
    ASSERT_EQ(selector.views().size(), 1U);
    SelectionView* view = selector.views().front();
    // The screen itself, as the server shows it, holds the dimmed picture once the overlay is up.
    EXPECT_TRUE(testing::waitFor([&] { return onScreen(quarterCentre(0)) == dimmed(quarters[0]); }));
    pattern.hide();

    // A drag over the two left quarters clears them and leaves the right ones dimmed.
    selector.pressed(patternArea.topLeft() + QPoint(1, 1));
    selector.moved(patternArea.topLeft() + QPoint(patternArea.width() / 2 - 1, patternArea.height() - 1));
    const QImage shown = view->grab().toImage();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(shown.pixel(quarterCentre(i)), i % 2 == 0 ? quarters[i].rgb() : dimmed(quarters[i])) << i;
    }

    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(view, &escape);
    EXPECT_FALSE(selector.isOpen());
    ASSERT_TRUE(testing::waitFor([&] { return !results.empty(); }));
    EXPECT_TRUE(std::holds_alternative<AreaSelector::Cancelled>(results.front()));
    EXPECT_TRUE(testing::waitFor([&] { return onScreen(quarterCentre(1)) != dimmed(quarters[1]); }))
        << "the overlay leaves the screen";
}

// A window of one colour over the whole screen, standing for the desktop.
class Backdrop : public QWidget {
public:
    explicit Backdrop(const QRect& screen)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint)
    {
        setGeometry(screen);
        setAutoFillBackground(true);
        QPalette colours = palette();
        colours.setColor(QPalette::Window, colour);
        setPalette(colours);
    }
    static inline const QColor colour{0x33, 0x66, 0xcc};
};

// The compositor tells a window's depth only when it maps it, and keeps a shadow made for a window it
// took for opaque; a window that comes and goes first leaves it with the memory of an opaque one.
TEST(AreaSelectorOnX11, UnderAShadowingCompositorTheScreenIsDimmedOnlyByTheOverlay)
{
    QScreen& screen = *QGuiApplication::primaryScreen();
    testing::DesktopHelper compositor("xcompmgr", {"-c"}, "_NET_WM_CM_S0");
    ASSERT_TRUE(compositor.isRunning()) << "xcompmgr did not take the compositing selection";
    Backdrop desktop(screen.geometry());
    desktop.show();
    const QPoint inTheMiddle(screen.geometry().center().x(), screen.geometry().height() / 4);
    const QPoint nearACorner(40, 40);
    ASSERT_TRUE(testing::waitFor([&] { return onScreen(inTheMiddle) == Backdrop::colour.rgb(); }));
    {
        Pattern opaque;
        opaque.show();
        ASSERT_TRUE(testing::waitFor([&] { return onScreen(quarterCentre(0)) == quarters[0].rgb(); }));
    }
    ASSERT_TRUE(testing::waitFor([&] { return onScreen(quarterCentre(0)) == Backdrop::colour.rgb(); }));

    FixedMicrophones microphones;
    OverlaySelector::Platform translucent;
    translucent.beep = [] {};
    translucent.hasCompositing = [] { return true; };
    OverlaySelector selector(microphones, translucent);
    selector.begin({}, [](const AreaSelector::Result&) {});
    ASSERT_EQ(selector.views().size(), 1U);
    const auto isNear = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 3 && std::abs(qGreen(a) - qGreen(b)) <= 3 &&
               std::abs(qBlue(a) - qBlue(b)) <= 3;
    };
    const QRgb dimmedDesktop = dimmed(Backdrop::colour);
    EXPECT_TRUE(testing::waitFor([&] {
        return isNear(onScreen(inTheMiddle), dimmedDesktop) && isNear(onScreen(nearACorner), dimmedDesktop);
    })) << "dimmed by 30 %, not darker: "
        << std::hex << onScreen(inTheMiddle) << " " << onScreen(nearACorner);

    selector.pressed(QPointF(inTheMiddle - QPoint(100, 50)));
    selector.moved(QPointF(inTheMiddle + QPoint(100, 50)));
    EXPECT_TRUE(testing::waitFor([&] { return onScreen(inTheMiddle) == Backdrop::colour.rgb(); }))
        << "the selection shows the desktop unchanged: " << std::hex << onScreen(inTheMiddle);
    selector.cancel();
}

} // namespace
} // namespace quillet
