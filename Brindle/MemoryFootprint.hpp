#pragma once

#include <cstdint>
#include <string_view>

namespace brindle {

// The process's own memory use, read from the kernel's per-process status.
struct MemoryFootprint {
    struct Reading {
        std::uint64_t current = 0; // bytes: anonymous + shared-memory resident pages + swapped out
        std::uint64_t peak = 0;    // bytes: the resident high-water mark

        [[nodiscard]] double currentMB() const { return static_cast<double>(current) * bytesToMB; }
        [[nodiscard]] double peakMB() const { return static_cast<double>(peak) * bytesToMB; }

        friend bool operator==(const Reading&, const Reading&) = default;
    };

    // Both fields are 0 when the status cannot be read.
    [[nodiscard]] static Reading read();

    // The reading carried by a /proc/<pid>/status text; fields it lacks count as 0.
    [[nodiscard]] static Reading parse(std::string_view procStatus);

private:
    static constexpr double bytesToMB = 9.5367431640625e-7;
};

} // namespace brindle
