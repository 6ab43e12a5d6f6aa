// The still encoder against a bare, single-threaded libwebp encode of the same pixels with the same
// settings, started from a ready ARGB buffer. Both run in every iteration, so the ratio holds whatever
// the machine's load (on an idle machine; other work on the cores slows the threaded encoder more).
// Target: the encoder within 0.80 × the bare encode, its picture within 50 dB PSNR of the bare one.
#include "Quillet/library/WebPEncoder.hpp"

#include "bench/BareWebPEncode.hpp"
#include "bench/BenchmarkRatio.hpp"
#include "bench/ScreenLikeImage.hpp"

#include <QGuiApplication>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>
#include <webp/encode.h>

namespace {

using quillet::bench::secondsFor;
constexpr double target = 0.80;
constexpr double minimumPsnr = 50;

void encodeScreen(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const QImage image = quillet::bench::screenLikeImage(width, height);
    std::vector<std::uint32_t> words = quillet::bench::straightArgb(image);
    double encoderSeconds = 0;
    double bareSeconds = 0;
    std::vector<std::uint8_t> bare;
    std::optional<QByteArray> encoded;
    for (auto _ : state) {
        bareSeconds += secondsFor([&] { bare = quillet::bench::bareEncodeBytes(words, width, height); });
        const double seconds = secondsFor([&] { encoded = quillet::WebPEncoder::encode(image); });
        state.SetIterationTime(seconds);
        encoderSeconds += seconds;
        if (bare.empty() || !encoded) {
            state.SkipWithError("an encode failed");
            return;
        }
    }
    const double psnr = quillet::bench::psnr(bare.data(), bare.size(),
                                             reinterpret_cast<const std::uint8_t*>(encoded->constData()),
                                             static_cast<std::size_t>(encoded->size()));
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["bare_ms"] = bareSeconds / iterations * 1e3;
    state.counters["KB"] = static_cast<double>(encoded->size()) / 1024;
    state.counters["bare_KB"] = static_cast<double>(bare.size()) / 1024;
    state.counters["PSNR_dB"] = psnr;
    state.counters["ratio"] = encoderSeconds / bareSeconds;
    if (psnr < minimumPsnr) {
        std::printf("%dx%d: PSNR %.1f dB against the bare encode, below %.0f dB\n", width, height, psnr,
                    minimumPsnr);
    }
}

BENCHMARK(encodeScreen)
    ->Args({3840, 2160})
    ->Args({5120, 2880})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// Where the bare encode's time goes: the sharp RGB→YUV conversion of the whole picture, then the
// VP8 encode from the planes, both on one thread. Printed for the profile, not held to a target.
void bareEncodePhases(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    std::vector<std::uint32_t> words =
        quillet::bench::straightArgb(quillet::bench::screenLikeImage(width, height));
    double sharpSeconds = 0;
    double encodeSeconds = 0;
    for (auto _ : state) {
        const WebPConfig config = quillet::bench::stillConfig();
        WebPMemoryWriter writer;
        WebPPicture picture = quillet::bench::argbPicture(words, width, height, writer);
        bool converted = false;
        bool encoded = false;
        sharpSeconds += secondsFor([&] { converted = WebPPictureSharpARGBToYUVA(&picture) != 0; });
        const double seconds = secondsFor([&] { encoded = converted && WebPEncode(&config, &picture) != 0; });
        encodeSeconds += seconds;
        state.SetIterationTime(seconds);
        WebPMemoryWriterClear(&writer);
        WebPPictureFree(&picture);
        if (!encoded) {
            state.SkipWithError("the bare encode failed");
            return;
        }
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["sharp_ms"] = sharpSeconds / iterations * 1e3;
    state.counters["vp8_ms"] = encodeSeconds / iterations * 1e3;
}

BENCHMARK(bareEncodePhases)
    ->Args({3840, 2160})
    ->Args({5120, 2880})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

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
