#pragma once

// What every benchmark program here shares: timing an operation next to its baseline in the same
// iteration, so that ratios do not depend on the machine or on load from other processes, and
// printing one ratio line per benchmark after the usual table. Header-only.

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace quillet::bench {

template <typename Operation> double secondsFor(Operation operation)
{
    const auto start = std::chrono::steady_clock::now();
    operation();
    benchmark::ClobberMemory();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Times the baseline and the operation back to back in each iteration, then runs `settle` untimed
// (tearing down what the operation made, waiting for work it left running) so that none of it lands
// on the next iteration's timings; reports the operation's time and the ratio of the two totals.
template <typename Baseline, typename Operation, typename Settle>
void measureAgainst(benchmark::State& state, Baseline baseline, Operation operation, Settle settle)
{
    double operationSeconds = 0;
    double baselineSeconds = 0;
    for (auto _ : state) {
        baselineSeconds += secondsFor(baseline);
        const double seconds = secondsFor(operation);
        state.SetIterationTime(seconds);
        operationSeconds += seconds;
        settle();
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["baseline_ms"] = baselineSeconds / iterations * 1e3;
    state.counters["ratio"] = operationSeconds / baselineSeconds;
}

template <typename Baseline, typename Operation>
void measureAgainst(benchmark::State& state, Baseline baseline, Operation operation)
{
    measureAgainst(state, std::move(baseline), std::move(operation), [] {});
}

using Bytes = std::vector<std::uint8_t>;

// Each iteration: restore the input (untimed), time memcpy of it, restore again (untimed, so both
// timings start from the same cache state), time the operation on the restored copy. Reports the
// operation's time; returns the ratio of the two totals.
template <typename Operation>
double measureAgainstMemcpy(benchmark::State& state, const Bytes& input, Operation operation)
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
    const double ratio = operationSeconds / memcpySeconds;
    state.counters["memcpy_ms"] = memcpySeconds / iterations * 1e3;
    state.counters["ratio"] = ratio;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
    return ratio;
}

// How the ratio lines name a benchmark: by its function alone, or with its arguments and options.
enum class RatioName { function, fullBenchmark };

// Prints the usual table, then hands each benchmark's "ratio" counter to `printRatio` — the median over
// repetitions (--benchmark_repetitions), robust against a busy machine.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using PrintRatio = std::function<void(const std::string& name, double ratio)>;

    RatioReporter(RatioName naming, PrintRatio printRatio)
        : naming_(naming), printRatio_(std::move(printRatio))
    {
    }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto ratio = run.counters.find("ratio");
            if (run.run_type == Run::RT_Iteration && ratio != run.counters.end()) {
                ratios_[nameOf(run)].push_back(ratio->second.value);
            }
        }
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        for (auto& [name, runRatios] : ratios_) {
            std::sort(runRatios.begin(), runRatios.end());
            printRatio_(name, runRatios[runRatios.size() / 2]);
        }
    }

private:
    [[nodiscard]] std::string nameOf(const Run& run) const
    {
        switch (naming_) {
        case RatioName::function:
            return run.run_name.function_name;
        case RatioName::fullBenchmark:
            return run.benchmark_name();
        }
        return run.benchmark_name();
    }

    RatioName naming_;
    PrintRatio printRatio_;
    std::map<std::string, std::vector<double>> ratios_;
};

// Runs the benchmarks selected on the command line; 1 for an argument it does not know.
inline int runBenchmarks(int& argc, char** argv, benchmark::BenchmarkReporter* reporter = nullptr)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks(reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace quillet::bench
