#pragma once

#include "Quillet/capture/PermissionAlert.hpp"

namespace quillet {

// The screen-recording permission alert as a modal message box.
class PermissionAlertBox final : public PermissionAlert {
public:
    [[nodiscard]] Choice show() override;
};

} // namespace quillet
