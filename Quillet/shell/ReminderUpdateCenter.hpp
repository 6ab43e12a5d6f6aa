#pragma once

#include "Brindle/RepeatingTask.hpp"
#include "Quillet/shell/UpdateCenter.hpp"
#include "kit-core/UpdateReminder.hpp"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

namespace quillet {

// The update reminder of a normal run: due 30 days after the clock started, re-checked every hour.
// "Check" opens the maker's update page; the clock restarts only once the page really opened, so a
// desktop that cannot open links keeps the reminder and says so.
class ReminderUpdateCenter final : public UpdateCenter {
public:
    static constexpr std::chrono::hours refreshInterval{1};

    struct Services {
        std::function<brindle::UpdateReminder::Date()> now = &brindle::UpdateReminder::systemNow;
        // Opens a web address; false when nothing could open it.
        std::function<bool(const QUrl&)> openURL;
        std::function<void()> beep;
        // Tells the user, with the address, that it could not be opened.
        std::function<void(const QUrl&)> reportOpenFailure;
    };

    ReminderUpdateCenter(std::shared_ptr<brindle::PreferenceStore> store, QString app, QString version,
                         Services services);

    // "https://<maker>/updates/?app=<app>&version=<version>".
    [[nodiscard]] static QUrl updatePage(const QString& app, const QString& version);

    [[nodiscard]] bool isUpdateReminderDue() const override { return isDue_; }
    void refresh() override;
    void checkForUpdates() override;
    void dismissUpdateReminder() override;

private:
    void setDue(bool due);

    QString app_;
    QString version_;
    Services services_;
    brindle::UpdateReminder reminder_;
    bool isDue_ = false;
    std::unique_ptr<brindle::RepeatingTask> refresher_;
};

} // namespace quillet
