// Pixelation of a 5K capture with the block size of a 2x capture, next to a plain memcpy of the same
// buffer measured in the same iteration, so that the ratio does not depend on the machine or on load
// from other processes. Target: within 3 x memcpy, with no allocation during the pixelation.
#include "core/BitmapLayout.hpp"
#include "core/Pixelation.hpp"

#include "bench/BenchmarkRatio.hpp"

#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> allocationCount{0};

} // namespace

// Every allocation of the program is counted, so the benchmark can tell whether pixelating made any.
// Kept out of line: inlined, the compiler would pair the malloc and free below with new and delete.
[[gnu::noinline]] void* operator new(std::size_t size)
{
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}

[[gnu::noinline]] void operator delete(void* memory) noexcept
{
    std::free(memory);
}

[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}

namespace {

constexpr std::int64_t width = 5120;
constexpr std::int64_t height = 2880;
constexpr std::int64_t bytesPerRow = width * quillet::bytesPerPixel;
constexpr std::int64_t blockSize = 28;
constexpr std::size_t bufferBytes = static_cast<std::size_t>(bytesPerRow * height);
constexpr double targetRatio = 3.0;

using quillet::bench::Bytes;

// Varied bytes, so no block is uniform by accident.
Bytes capturePixels()
{
    Bytes bytes(bufferBytes);
    std::uint32_t state = 12345;
    for (auto& byte : bytes) {
        state = state * 1664525 + 1013904223;
        byte = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

double ratioSeen = 0;
std::uint64_t allocationsSeen = 0;

// The pixelation against memcpy of the same buffer, counting the allocations made while pixelating.
void pixelate5KWithBlocksOf28(benchmark::State& state)
{
    const Bytes input = capturePixels();
    std::uint64_t allocations = 0;
    ratioSeen = quillet::bench::measureAgainstMemcpy(state, input, [&](Bytes& work) {
        const std::uint64_t allocationsBefore = allocationCount.load();
        quillet::Pixelation::pixelate(work, width, height, bytesPerRow, blockSize);
        allocations += allocationCount.load() - allocationsBefore;
        benchmark::DoNotOptimize(work.data());
    });
    allocationsSeen = allocations;
    state.counters["allocations"] = static_cast<double>(allocations);
}

BENCHMARK(pixelate5KWithBlocksOf28)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

} // namespace

int main(int argc, char** argv)
{
    if (const int status = quillet::bench::runBenchmarks(argc, argv); status != 0) {
        return status;
    }
    std::printf("pixelate5KWithBlocksOf28: %.2f x memcpy (target <= %.1f x: %s), %llu allocations\n",
                ratioSeen, targetRatio, ratioSeen <= targetRatio && allocationsSeen == 0 ? "met" : "MISSED",
                static_cast<unsigned long long>(allocationsSeen));
    return 0;
}
