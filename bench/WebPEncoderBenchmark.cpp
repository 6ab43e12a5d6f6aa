// The still encoder against a bare libwebp encode of the same pixels with the same settings, started
// from a ready ARGB buffer. Both run in every iteration, so the ratio holds whatever the machine's
// load. Target: the encoder within 1.10 × the bare encode (its extra work is one drawing of the image
// into libwebp's buffer and the un-premultiplying pass).
#include "Quillet/WebPEncoder.hpp"
#include "core/Pixels.hpp"

#include "bench/ScreenLikeImage.hpp"

#include <QGuiApplication>

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>
#include <webp/encode.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr double target = 1.10;

// Straight-colour ARGB words of the image, as libwebp takes them.
std::vector<std::uint32_t> straightArgb(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    std::vector<std::uint32_t> words(static_cast<std::size_t>(argb.width()) * argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        std::memcpy(&words[static_cast<std::size_t>(y) * argb.width()], argb.constScanLine(y),
                    static_cast<std::size_t>(argb.width()) * 4);
    }
    const std::int64_t bytesPerRow = std::int64_t{argb.width()} * 4;
    quillet::Pixels::unpremultiply(
        std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(words.data()), words.size() * 4),
        argb.width(), argb.height(), bytesPerRow);
    return words;
}

// libwebp alone: the same configuration, the picture pointing at the ready buffer.
std::size_t bareEncode(std::vector<std::uint32_t>& words, int width, int height)
{
    WebPConfig config;
    WebPConfigPreset(&config, WEBP_PRESET_DEFAULT, 75);
    config.quality = 90;
    config.method = 4;
    config.use_sharp_yuv = 1;
    WebPPicture picture;
    WebPPictureInit(&picture);
    picture.use_argb = 1;
    picture.width = width;
    picture.height = height;
    picture.argb = words.data();
    picture.argb_stride = width;
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    const bool ok = WebPEncode(&config, &picture) != 0;
    const std::size_t size = ok ? writer.size : 0;
    WebPMemoryWriterClear(&writer);
    WebPPictureFree(&picture);
    return size;
}

template <typename Operation> double secondsFor(Operation operation)
{
    const auto start = Clock::now();
    operation();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void encodeScreen(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const QImage image = quillet::bench::screenLikeImage(width, height);
    std::vector<std::uint32_t> words = straightArgb(image);
    double encoderSeconds = 0;
    double bareSeconds = 0;
    std::size_t encodedBytes = 0;
    for (auto _ : state) {
        std::size_t bareBytes = 0;
        bareSeconds += secondsFor([&] { bareBytes = bareEncode(words, width, height); });
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

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto ratio = run.counters.find("ratio");
            if (ratio != run.counters.end()) {
                ratios_[run.benchmark_name()] = ratio->second.value;
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (const auto& [name, ratio] : ratios_) {
            std::printf("%s: %.3f x bare libwebp (target <= %.2f x: %s)\n", name.c_str(), ratio, target,
                        ratio <= target ? "met" : "MISSED");
        }
    }

private:
    std::map<std::string, double> ratios_;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
