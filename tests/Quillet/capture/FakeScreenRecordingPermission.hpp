#pragma once

#include "Quillet/capture/ScreenRecordingPermission.hpp"

namespace quillet::testing {

// A permission the test grants or refuses, counting how often it was checked and asked for.
class FakeScreenRecordingPermission final : public ScreenRecordingPermission {
public:
    explicit FakeScreenRecordingPermission(bool granted) : granted(granted) {}
    [[nodiscard]] bool preflight() const override
    {
        ++preflights;
        return granted;
    }
    bool request() override
    {
        ++requests;
        return granted;
    }

    bool granted;
    mutable int preflights = 0;
    int requests = 0;
};

} // namespace quillet::testing
