#pragma once

#include "Quillet/capture/PermissionAlert.hpp"

namespace quillet::testing {

// An alert the user always cancels.
class FakePermissionAlert final : public PermissionAlert {
public:
    [[nodiscard]] Choice show() override
    {
        ++shown;
        return Choice::cancel;
    }
    int shown = 0;
};

} // namespace quillet::testing
