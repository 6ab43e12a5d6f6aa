#pragma once

#include "Quillet/recording/AreaSelector.hpp"

namespace quillet {

// The area selector of a preview: every selection ends cancelled at once.
class NoSelector final : public AreaSelector {
public:
    void begin(const Recorder::Options&, Completion completion) override { completion(Cancelled{}); }
    [[nodiscard]] bool isOpen() const override { return false; }
};

} // namespace quillet
