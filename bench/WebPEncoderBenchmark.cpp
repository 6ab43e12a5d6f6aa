// The still encoder against a bare libwebp encode of the same pixels with the same settings, started
// from a ready ARGB buffer. Both run in every iteration, so the ratio holds whatever the machine's
// load. Target: the encoder within 1.10 × the bare encode (its extra work is one drawing of the image
// into libwebp's buffer and the un-premultiplying pass).
#include "Quillet/library/WebPEncoder.hpp"

#include "bench/BareWebPEncode.hpp"
#include "bench/BenchmarkRatio.hpp"
#include "bench/ScreenLikeImage.hpp"

#include <QGuiApplication>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using quillet::bench::secondsFor;
constexpr double target = 1.10;

void encodeScreen(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const QImage image = quillet::bench::screenLikeImage(width, height);
    std::vector<std::uint32_t> words = quillet::bench::straightArgb(image);
    double encoderSeconds = 0;
    double bareSeconds = 0;
    std::size_t encodedBytes = 0;
    for (auto _ : state) {
        std::size_t bareBytes = 0;
        bareSeconds += secondsFor([&] { bareBytes = quillet::bench::bareEncode(words, width, height); });
        const double seconds =
            secondsFor([&] { encodedBytes = quillet::WebPEncoder::encode(image)->size(); });
        state.SetIterationTime(seconds);
        encoderSeconds += seconds;
        if (bareBytes == 0 || encodedBytes != bareBytes) {
            state.SkipWithError("the encoder and the bare encode disagree");
            return;
        }
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["bare_ms"] = bareSeconds / iterations * 1e3;
    state.counters["KB"] = static_cast<double>(encodedBytes) / 1024;
    state.counters["ratio"] = encoderSeconds / bareSeconds;
}

BENCHMARK(encodeScreen)
    ->Args({3840, 2160})
    ->Args({5120, 2880})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void printAgainstTarget(const std::string& name, double ratio)
{
    std::printf("%s: %.3f x bare libwebp (target <= %.2f x: %s)\n", name.c_str(), ratio, target,
                ratio <= target ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    quillet::bench::RatioReporter reporter(quillet::bench::RatioName::fullBenchmark, printAgainstTarget);
    return quillet::bench::runBenchmarks(argc, argv, &reporter);
}
