#pragma once

#include "Quillet/capture/component/PermissionAlert.hpp"

namespace quillet {

// The screen-recording permission alert as a modal message box.
class PermissionAlertBox final : public component::PermissionAlert {
public:
    [[nodiscard]] Choice show() override;
};

} // namespace quillet
