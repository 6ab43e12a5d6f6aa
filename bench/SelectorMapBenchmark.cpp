// How soon the recording area selector covers the screen: from the request to every overlay mapped
// and painted (a frozen, dimmed picture of the screen, as without a compositor), against a plain
// full-screen window of the toolkit mapped and painted in the same run. Needs an X display; run it
// through bench/selector-map.sh, which starts a private 3840 × 2160 Xvfb.
#include "Quillet/recording/Microphones.hpp"
#include "Quillet/recording/OverlaySelector.hpp"

#include "bench/BenchmarkRatio.hpp"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <algorithm>
#include <cstdio>
#include <xcb/xcb.h>

namespace {

class PlainWindow : public QWidget {
public:
    PlainWindow()
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::X11BypassWindowManagerHint)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setGeometry(QGuiApplication::primaryScreen()->geometry());
    }
    bool painted = false;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), QColor(0, 0, 0, 77));
        painted = true;
    }
};

// Until the X server has done everything asked of it so far.
void syncWithServer()
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (connection != nullptr) {
        free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }
}

template <typename Condition> void runUntil(Condition condition)
{
    QElapsedTimer limit;
    limit.start();
    while (!condition() && limit.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    syncWithServer();
}

bool allExposed(const quillet::OverlaySelector& selector)
{
    const auto views = selector.views();
    return !views.empty() && std::all_of(views.begin(), views.end(), [](const quillet::SelectionView* view) {
        return view->windowHandle() && view->windowHandle()->isExposed();
    });
}

void OverlayTimeToMap(benchmark::State& state)
{
    quillet::FixedMicrophones microphones;
    quillet::OverlaySelector selector(microphones, {nullptr, [] {}, [] { return false; }});
    const auto plain = [] {
        PlainWindow window;
        window.show();
        runUntil([&] { return window.painted; });
        window.hide();
    };
    const auto overlay = [&] {
        selector.begin({}, [](const quillet::AreaSelector::Result&) {});
        runUntil([&] { return allExposed(selector); });
        QCoreApplication::processEvents();
        syncWithServer();
        selector.cancel();
    };
    quillet::bench::measureAgainst(state, plain, overlay);
    // The cancelled selector's windows go away before the next round.
    runUntil([] { return false; });
}
BENCHMARK(OverlayTimeToMap)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    quillet::bench::RatioReporter reporter(
        quillet::bench::RatioName::function, [](const std::string& name, double ratio) {
            std::printf("%s: %.2f x a plain full-screen window\n", name.c_str(), ratio);
        });
    return quillet::bench::runBenchmarks(argc, argv, &reporter);
}
