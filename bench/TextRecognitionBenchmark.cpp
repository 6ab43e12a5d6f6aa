// Reading the text of a 1920x1080 screenshot of text against the `tesseract` command-line program on
// the same picture, with the same language, page segmentation and resolution. Both run in every
// iteration. "first" reads with a recognizer made for that read (its language data loaded inside the
// timed part, as at the first Copy Text of a run); "later" with one already loaded. The command-line
// program loads its data every time, and runs on one thread as the recognizer does. Target: within
// 1.0 x the program's time, the same text.
#include "Quillet/common/TesseractRecognizer.hpp"
#include "Quillet/common/text/TextEntryPoints.hpp"

#include "bench/BenchmarkRatio.hpp"

#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

using quillet::TesseractRecognizer;
using quillet::bench::secondsFor;

constexpr double target = 1.0;
constexpr int width = 1920;
constexpr int height = 1080;
constexpr int programTimeoutMs = 120'000;
constexpr double inchesPerMetre = 39.3701;
const QString dataFolder = QStringLiteral("/usr/share/tesseract-ocr/5/tessdata");

const QStringList sentences{
    QStringLiteral("Quarterly report for the design team, prepared on Tuesday morning."),
    QStringLiteral("Revenue grew by 12.4 percent while costs stayed within the budget."),
    QStringLiteral("Please review the attached figures before the meeting at 3:30 pm."),
    QStringLiteral("The new release fixes 27 bugs and adds support for larger files."),
    QStringLiteral("Contact support@example.org if the installer stops with an error."),
    QStringLiteral("Settings are saved automatically when you close the window."),
};

// A document window over a plain desktop: a title, a sidebar of short items and a page of text.
[[nodiscard]] QImage textScreen()
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(238, 238, 240));
    image.setDotsPerMeterX(qRound(quillet::TextEntryPoints::screenPixelsPerInch * inchesPerMetre));
    image.setDotsPerMeterY(image.dotsPerMeterX());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(15);
    painter.setFont(font);
    painter.setPen(QColor(25, 25, 25));
    for (int item = 0; item < 12; ++item) {
        painter.drawText(40, 120 + item * 34, QStringLiteral("Folder %1").arg(item + 1));
    }
    painter.fillRect(320, 60, 1540, 980, Qt::white);
    int line = 0;
    for (int paragraph = 0; paragraph < 8; ++paragraph) {
        for (int row = 0; row < 4; ++row, ++line) {
            painter.drawText(360, 110 + line * 24 + paragraph * 18,
                             sentences[(paragraph + row) % sentences.size()]);
        }
    }
    return image;
}

// The program's text, tidied as the recognizer tidies its own; absent when it failed.
[[nodiscard]] std::optional<QString> programText(const QString& png)
{
    QProcess program;
    // On one thread, as the recognizer reads: the program's default spreads its OpenMP threads over
    // the cores and, spinning, took five times as long here; that would be an easy baseline.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral("tesseract"),
                  {png, QStringLiteral("stdout"), QStringLiteral("-l"), QStringLiteral("eng"),
                   QStringLiteral("--oem"), QStringLiteral("1"), QStringLiteral("--psm"), QStringLiteral("3"),
                   QStringLiteral("--dpi"), QString::number(quillet::TextEntryPoints::screenPixelsPerInch)});
    if (!program.waitForFinished(programTimeoutMs) || program.exitCode() != 0) {
        program.kill();
        program.waitForFinished(programTimeoutMs);
        return std::nullopt;
    }
    QString text = QString::fromUtf8(program.readAllStandardOutput());
    text.remove(QLatin1Char('\f'));
    return text.trimmed();
}

void readScreen(benchmark::State& state, bool loadedBefore)
{
    const QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("screen.png"));
    const QImage screen = textScreen();
    if (!screen.save(png)) {
        state.SkipWithError("cannot write the picture");
        return;
    }
    auto loaded = std::make_unique<TesseractRecognizer>(QStringLiteral("en_US.UTF-8"), dataFolder);
    if (loadedBefore) {
        (void)loaded->read(screen);
    }
    std::optional<QString> theirs;
    std::optional<QString> ours;
    double ourSeconds = 0;
    double theirSeconds = 0;
    for (auto _ : state) {
        theirSeconds += secondsFor([&] { theirs = programText(png); });
        const double seconds = secondsFor([&] {
            if (!loadedBefore) {
                loaded = std::make_unique<TesseractRecognizer>(QStringLiteral("en_US.UTF-8"), dataFolder);
            }
            ours = loaded->read(screen);
        });
        state.SetIterationTime(seconds);
        ourSeconds += seconds;
        if (!theirs || !ours) {
            state.SkipWithError("a reading failed");
            return;
        }
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["tesseract_ms"] = theirSeconds / iterations * 1e3;
    state.counters["characters"] = static_cast<double>(ours->size());
    state.counters["ratio"] = ourSeconds / theirSeconds;
    std::printf("%s text: %s (%lld characters)\n", loadedBefore ? "later" : "first",
                *ours == *theirs ? "the same as tesseract's" : "DIFFERENT from tesseract's",
                static_cast<long long>(ours->size()));
}

void first(benchmark::State& state)
{
    readScreen(state, false);
}

void later(benchmark::State& state)
{
    readScreen(state, true);
}

BENCHMARK(first)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(later)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void printAgainstTarget(const std::string& name, double ratio)
{
    std::printf("%s: %.3f x the tesseract program (target <= %.2f x: %s)\n", name.c_str(), ratio, target,
                ratio <= target ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    quillet::bench::RatioReporter reporter(quillet::bench::RatioName::function, printAgainstTarget);
    return quillet::bench::runBenchmarks(argc, argv, &reporter);
}
