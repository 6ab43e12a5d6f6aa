// Pixels over a 5K capture, each operation next to a plain memcpy of the same buffer measured in the
// same iteration, so that the ratio does not depend on the machine or on load from other processes.
// Targets: isFullyTransparent within 1.5 × memcpy, unpremultiply within 4 × memcpy.
#include "core/Pixels.hpp"

#include "bench/BenchmarkRatio.hpp"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace {

constexpr std::int64_t width = 5120;
constexpr std::int64_t height = 2880;
constexpr std::int64_t bytesPerRow = width * quillet::bytesPerPixel;
constexpr std::size_t bufferBytes = static_cast<std::size_t>(bytesPerRow * height);

using quillet::bench::Bytes;
using quillet::bench::measureAgainstMemcpy;

// Every pixel half-transparent, colours varied so no table row stays hot by accident.
Bytes semiTransparentPixels()
{
    Bytes bytes(bufferBytes);
    std::uint32_t state = 12345;
    for (std::size_t i = 0; i < bytes.size(); i += 4) {
        state = state * 1664525 + 1013904223;
        const auto alpha = static_cast<std::uint8_t>(1 + (state >> 24) % 254);
        for (std::size_t k = 0; k < 3; ++k) {
            bytes[i + k] = static_cast<std::uint8_t>(((state >> (8 * k)) & 0xFF) * alpha / 255);
        }
        bytes[i + 3] = alpha;
    }
    return bytes;
}

void isFullyTransparentOfZeros(benchmark::State& state)
{
    const Bytes zeros(bufferBytes, 0);
    measureAgainstMemcpy(state, zeros, [](Bytes& work) {
        const bool transparent = quillet::Pixels::isFullyTransparent(work, width, height, bytesPerRow);
        benchmark::DoNotOptimize(transparent);
        if (!transparent) {
            std::abort();
        }
    });
}

void unpremultiplySemiTransparent(benchmark::State& state)
{
    const Bytes pixels = semiTransparentPixels();
    measureAgainstMemcpy(state, pixels, [](Bytes& work) {
        quillet::Pixels::unpremultiply(work, width, height, bytesPerRow);
        benchmark::DoNotOptimize(work.data());
    });
}

BENCHMARK(isFullyTransparentOfZeros)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(unpremultiplySemiTransparent)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

// One line per benchmark with its ratio against its target.
void printAgainstTarget(const std::string& name, double ratio)
{
    const std::map<std::string, double> targets{{"isFullyTransparentOfZeros", 1.5},
                                                {"unpremultiplySemiTransparent", 4.0}};
    const auto target = targets.find(name);
    std::printf("%s: %.2f x memcpy", name.c_str(), ratio);
    if (target != targets.end()) {
        std::printf(" (target <= %.1f x: %s)", target->second, ratio <= target->second ? "met" : "MISSED");
    }
    std::printf("\n");
}

} // namespace

int main(int argc, char** argv)
{
    quillet::bench::RatioReporter reporter(quillet::bench::RatioName::function, printAgainstTarget);
    return quillet::bench::runBenchmarks(argc, argv, &reporter);
}
