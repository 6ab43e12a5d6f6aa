#pragma once

// A PipeWire video source that agrees on a format and then never sends a picture: a screen cast
// whose compositor has nothing to show yet.
#include <cstdint>
#include <memory>
#include <optional>

namespace quillet::testing {

class SilentVideoSource {
public:
    SilentVideoSource();
    ~SilentVideoSource();
    SilentVideoSource(const SilentVideoSource&) = delete;
    SilentVideoSource& operator=(const SilentVideoSource&) = delete;

    // Its node, once the server has given it one (within a few seconds).
    [[nodiscard]] std::optional<std::uint32_t> node();

    struct Parts;

private:
    std::unique_ptr<Parts> parts_;
};

} // namespace quillet::testing
