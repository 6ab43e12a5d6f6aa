#pragma once

#include "Quillet/shell/UpdateCenter.hpp"

namespace quillet {

// The update centre of previews and view snapshots: it keeps no reminder clock, is never due and
// opens nothing.
class PreviewUpdateCenter final : public UpdateCenter {
public:
    using UpdateCenter::UpdateCenter;

    [[nodiscard]] bool isUpdateReminderDue() const override { return false; }
    void refresh() override {}
    void checkForUpdates() override {}
    void dismissUpdateReminder() override {}
};

} // namespace quillet
