#include "Quillet/shell/ReminderUpdateCenter.hpp"

#include "Brindle/AppInfo.hpp"

#include <QPointer>

namespace quillet {
namespace {

constexpr auto makerSite = "https://quillet.app";

const brindle::Logger& log()
{
    static const brindle::Logger instance = brindle::AppInfo::logger("updates");
    return instance;
}

} // namespace

ReminderUpdateCenter::ReminderUpdateCenter(std::shared_ptr<brindle::PreferenceStore> store, QString app,
                                           QString version, Services services)
    : app_(std::move(app)), version_(std::move(version)), services_(std::move(services)),
      reminder_(std::move(store), version_.toStdString(), services_.now())
{
    isDue_ = reminder_.isDue(services_.now());
    refresher_ = std::make_unique<brindle::RepeatingTask>(refreshInterval, [self = QPointer(this)] {
        if (self) {
            self->refresh();
        }
    });
}

QUrl ReminderUpdateCenter::updatePage(const QString& app, const QString& version)
{
    return QUrl(QString::fromLatin1(makerSite) + QStringLiteral("/updates/?app=") + app +
                QStringLiteral("&version=") + version);
}

void ReminderUpdateCenter::refresh()
{
    setDue(reminder_.isDue(services_.now()));
}

void ReminderUpdateCenter::checkForUpdates()
{
    const QUrl page = updatePage(app_, version_);
    if (!page.isValid() || !services_.openURL(page)) {
        log().error("could not open the update page %{public}s", page.toString().toStdString());
        services_.beep();
        if (services_.reportOpenFailure) {
            services_.reportOpenFailure(page);
        }
        return;
    }
    reminder_.restart(services_.now());
    setDue(false);
}

void ReminderUpdateCenter::dismissUpdateReminder()
{
    reminder_.restart(services_.now());
    setDue(false);
}

void ReminderUpdateCenter::setDue(bool due)
{
    if (due == isDue_) {
        return;
    }
    isDue_ = due;
    emit changed();
}

} // namespace quillet
