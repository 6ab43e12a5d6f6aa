// Pixels over a 5K capture, each operation next to a plain memcpy of the same buffer measured in the
// same iteration, so that the ratio does not depend on the machine or on load from other processes.
// Targets: isFullyTransparent within 1.5 × memcpy, unpremultiply within 4 × memcpy.
#include "core/Pixels.hpp"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t width = 5120;
constexpr std::int64_t height = 2880;
constexpr std::int64_t bytesPerRow = width * quillet::bytesPerPixel;
constexpr std::size_t bufferBytes = static_cast<std::size_t>(bytesPerRow * height);

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

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

template <typename Operation> double secondsFor(Operation operation)
{
    const auto start = Clock::now();
    operation();
    benchmark::ClobberMemory();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Each iteration: restore the input (untimed), time memcpy of it, restore again (untimed, so both
// timings start from the same cache state), time the operation. Reports the operation's time.
template <typename Operation>
void measureAgainstMemcpy(benchmark::State& state, const Bytes& input, Operation operation)
{
    Bytes work(input.size());
    Bytes copy(input.size(), 1);
    double operationSeconds = 0;
    double memcpySeconds = 0;
    for (auto _ : state) {
        std::memcpy(work.data(), input.data(), input.size());
        const double copySeconds = secondsFor([&] { std::memcpy(copy.data(), work.data(), work.size()); });
        benchmark::DoNotOptimize(copy.data());
        std::memcpy(work.data(), input.data(), input.size());
        const double seconds = secondsFor([&] { operation(work); });
        state.SetIterationTime(seconds);
        operationSeconds += seconds;
        memcpySeconds += copySeconds;
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["memcpy_ms"] = memcpySeconds / iterations * 1e3;
    state.counters["ratio"] = operationSeconds / memcpySeconds;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
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

// Prints the usual table, then one line per benchmark with its ratio against its target.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto ratio = run.counters.find("ratio");
            if (run.run_type == Run::RT_Iteration && ratio != run.counters.end()) {
                ratios_[run.run_name.function_name].push_back(ratio->second.value);
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const std::map<std::string, double> targets{{"isFullyTransparentOfZeros", 1.5},
                                                    {"unpremultiplySemiTransparent", 4.0}};
        for (auto& [name, runRatios] : ratios_) {
            // The median over repetitions (--benchmark_repetitions), robust against a busy machine.
            std::sort(runRatios.begin(), runRatios.end());
            const double ratio = runRatios[runRatios.size() / 2];
            const auto target = targets.find(name);
            std::printf("%s: %.2f x memcpy", name.c_str(), ratio);
            if (target != targets.end()) {
                std::printf(" (target <= %.1f x: %s)", target->second,
                            ratio <= target->second ? "met" : "MISSED");
            }
            std::printf("\n");
        }
    }

private:
    std::map<std::string, std::vector<double>> ratios_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
