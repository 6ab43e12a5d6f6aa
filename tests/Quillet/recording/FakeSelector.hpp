#pragma once

#include "Quillet/recording/AreaSelector.hpp"

#include <utility>
#include <vector>

namespace quillet::testing {

// An area selector the test ends with `finish`, as the user would.
class FakeSelector final : public AreaSelector {
public:
    void begin(const Recorder::Options& options, Completion completion) override
    {
        begun.push_back(options);
        this->completion = std::move(completion);
    }
    [[nodiscard]] bool isOpen() const override { return open; }

    void finish(const Result& result)
    {
        const Completion done = completion;
        done(result);
    }

    bool open = false;
    std::vector<Recorder::Options> begun;
    Completion completion;
};

} // namespace quillet::testing
