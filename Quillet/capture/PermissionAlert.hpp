#pragma once

namespace quillet {

// The modal alert that explains a missing screen-recording permission.
class PermissionAlert {
public:
    enum class Choice { openSystemSettings, reopenApp, cancel };
    virtual ~PermissionAlert() = default;

    [[nodiscard]] virtual Choice show() = 0;
};

} // namespace quillet
