// The whole still path as a shortcut runs it — capture tool, PNG load, WebP encode, file write —
// against the bare in-process encode of the same screen's pixels, both in every iteration.
// Targets: the whole path within 0.8 × the bare encode; the card within 150 ms of the capture (printed
// from the key press, so the capture's own time is included). Needs an X server: run bench/still-path.sh,
// which starts a private 3840×2160 Xvfb.
#include "Quillet/app/AppState.hpp"
#include "kit-core/InMemoryPreferenceStore.hpp"

#include "bench/BareWebPEncode.hpp"
#include "bench/BenchmarkRatio.hpp"
#include "bench/ScreenLikeImage.hpp"
#include "tests/Quillet/app/FakeComponents.hpp"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double target = 0.8;
constexpr double cardTargetMs = 150;

class ScreenLikeWindow : public QWidget {
public:
    explicit ScreenLikeWindow(const QRect& screen)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint),
          image_(quillet::bench::screenLikeImage(screen.width(), screen.height()))
    {
        setGeometry(screen);
    }
    bool painted = false;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).drawImage(0, 0, image_);
        painted = true;
    }

private:
    QImage image_;
};

// Waits in the event loop, as the application does, so that the waiting costs no processor time.
template <typename Condition> bool spinUntil(Condition condition)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition()) {
            loop.quit();
        }
    });
    QTimer::singleShot(std::chrono::seconds(60), &loop, &QEventLoop::quit);
    poll.start(std::chrono::milliseconds(2));
    if (!condition()) {
        loop.exec();
    }
    return condition();
}

QString toolPath()
{
    const QString fromEnvironment = qEnvironmentVariable("QUILLET_BIN_DIR");
    const QString folder =
        fromEnvironment.isEmpty() ? QCoreApplication::applicationDirPath() + "/../bin" : fromEnvironment;
    return QDir(folder).filePath("quillet-screencapture");
}

// The screen as the tool captures it, loaded once for the baseline.
QImage grabScreen(const QString& tool, const QString& folder)
{
    const QString png = QDir(folder).filePath("baseline.png");
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    QProcess::execute(tool, {"-R", QStringLiteral("0,0,%1,%2").arg(size.width()).arg(size.height()), png});
    QImage image = QImageReader(png).read();
    QFile::remove(png);
    return image;
}

void wholeStillPath(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString tool = toolPath();
    const QImage screen = grabScreen(tool, folder.path());
    if (screen.isNull()) {
        state.SkipWithError("the capture tool gave no image");
        return;
    }
    std::vector<std::uint32_t> words = quillet::bench::straightArgb(screen);

    brindle::InMemoryPreferenceStore preferences;
    preferences.set(brindle::PropertyList(folder.filePath("Screenshots").toStdString()), "folder");
    quillet::testing::FakeComponents fakes = quillet::testing::fakeComponents(tool);
    auto* cards = fakes.thumbnails;
    quillet::AppState::Components& components = fakes.components;
    components.screenRecording.reset(); // the program's own check, as in a normal run
    quillet::AppState app(preferences, false, std::move(components));

    double pathSeconds = 0;
    double bareSeconds = 0;
    double cardSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        const std::size_t bareBytes = quillet::bench::bareEncode(words, screen.width(), screen.height());
        bareSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        benchmark::DoNotOptimize(bareBytes);

        start = Clock::now();
        app.perform(quillet::CaptureAction::screen);
        if (!spinUntil([&] { return !cards->added.empty(); })) {
            state.SkipWithError("no card appeared");
            return;
        }
        cardSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        if (!spinUntil([&] { return cards->finished() > 0; })) {
            state.SkipWithError("the still was not saved");
            return;
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        pathSeconds += seconds;
        QDir(folder.filePath("Screenshots")).removeRecursively();
        cards->added.clear();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["bare_ms"] = bareSeconds / iterations * 1e3;
    state.counters["ratio"] = pathSeconds / bareSeconds;
    state.counters["card_ms"] = cardSeconds / iterations * 1e3;
    std::printf("whole still path at %dx%d: %.0f ms, bare libwebp %.0f ms: %.3f x (target <= %.2f x: %s); "
                "card after %.0f ms (target <= %.0f ms)\n",
                screen.width(), screen.height(), pathSeconds / iterations * 1e3,
                bareSeconds / iterations * 1e3, pathSeconds / bareSeconds, target,
                pathSeconds / bareSeconds <= target ? "met" : "MISSED", cardSeconds / iterations * 1e3,
                cardTargetMs);
}

// The tool's handover alone: the screen written uncompressed and read into a bitmap, against the
// same screen as the tool's PNG decoded into a bitmap, both in every iteration.
void rawHandover(benchmark::State& state)
{
    QTemporaryDir folder;
    const QString tool = toolPath();
    const QSize size = QGuiApplication::primaryScreen()->geometry().size();
    const QString region = QStringLiteral("0,0,%1,%2").arg(size.width()).arg(size.height());
    const QString png = folder.filePath("still.png");
    const QString raw = folder.filePath("still.raw");
    bool complete = true;
    quillet::bench::measureAgainst(
        state,
        [&] {
            QProcess::execute(tool, {"-x", "-R", region, png});
            complete = quillet::Capturer::load(png).has_value() && complete;
        },
        [&] {
            QProcess::execute(tool, {"-x", "-t", "raw", "-R", region, raw});
            complete = quillet::Capturer::loadRaw(raw).has_value() && complete;
        });
    if (!complete) {
        state.SkipWithError("the tool gave no image");
        return;
    }
    std::printf("tool and read at %dx%d: raw %.3f x PNG (%.0f ms for PNG)\n", size.width(), size.height(),
                state.counters["ratio"].value, state.counters["baseline_ms"].value);
}

BENCHMARK(rawHandover)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(wholeStillPath)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(4);

constexpr const char* paintScreenArgument = "--paint-screen";

// The child's part: covers the screen with screen-like content, says so on one line, and stays until
// it is killed.
int paintScreen()
{
    ScreenLikeWindow window(QGuiApplication::primaryScreen()->geometry());
    window.show();
    spinUntil([&window] { return window.painted; });
    QThread::msleep(300);
    QCoreApplication::processEvents();
    std::puts("painted");
    std::fflush(stdout);
    return QApplication::exec();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "needs an X server; run bench/still-path.sh\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication application(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], paintScreenArgument) == 0) {
        return paintScreen();
    }
    // The picture on the screen comes from another process: the program hides its own windows from
    // its captures.
    QProcess painter;
    painter.start(QCoreApplication::applicationFilePath(), {paintScreenArgument});
    if (!spinUntil([&painter] { return painter.canReadLine() || painter.state() == QProcess::NotRunning; }) ||
        !painter.canReadLine()) {
        std::fprintf(stderr, "the screen could not be painted\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    painter.kill();
    painter.waitForFinished();
    return 0;
}
