#include "Quillet/app/GracefulQuit.hpp"

#include "Brindle/AppInfo.hpp"
#include "Quillet/common/BackgroundWork.hpp"

#include <QCoreApplication>
#include <QThreadPool>
#include <QTimer>

namespace quillet::GracefulQuit {

void quitAfterSaves(std::chrono::milliseconds limit)
{
    auto& work = BackgroundWork::instance();
    if (work.pending() == 0) {
        QCoreApplication::quit();
        return;
    }
    const auto log = brindle::AppInfo::logger("app");
    log.log("waiting for %d saves before quitting", work.pending());
    auto* application = QCoreApplication::instance();
    QObject::connect(&work, &BackgroundWork::idle, application, &QCoreApplication::quit);
    QTimer::singleShot(limit, application, [log] {
        log.error("quitting with %d saves unfinished", BackgroundWork::instance().pending());
        QCoreApplication::quit();
    });
}

bool threadsStillWorking()
{
    return QThreadPool::globalInstance()->activeThreadCount() > 0;
}

} // namespace quillet::GracefulQuit
