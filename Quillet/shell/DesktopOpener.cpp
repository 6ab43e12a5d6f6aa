#include "Quillet/shell/DesktopOpener.hpp"

#include "Brindle/AppInfo.hpp"

#include <QPointer>
#include <QProcess>
#include <QTimer>

#include <memory>

namespace quillet {
namespace {

const brindle::Logger& log()
{
    static const brindle::Logger instance = brindle::AppInfo::logger("shell");
    return instance;
}

} // namespace

DesktopOpener::DesktopOpener(QString program, Failed failed, QObject* parent)
    : QObject(parent), program_(std::move(program)), failed_(std::move(failed))
{
}

bool DesktopOpener::open(const QUrl& address)
{
    auto* opener = new QProcess(this);
    opener->setProgram(program_);
    opener->setArguments({address.toString(QUrl::FullyEncoded)});
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->start();
    if (!opener->waitForStarted(static_cast<int>(startLimit.count()))) {
        log().error("could not open %{public}s: %{public}s", address.toString().toStdString(),
                    opener->errorString().toStdString());
        delete opener;
        return false;
    }
    auto answered = std::make_shared<bool>(false);
    connect(opener, &QProcess::finished, this,
            [this, opener, answered, address](int code, QProcess::ExitStatus status) {
                opener->deleteLater();
                if (*answered || (status == QProcess::NormalExit && code == 0)) {
                    return;
                }
                log().error("could not open %{public}s: %{public}s ended with status %d",
                            address.toString().toStdString(), program_.toStdString(), code);
                if (failed_) {
                    failed_(address);
                }
            });
    // Past the limit the opener has handed the address over; it may wait on the browser it started.
    QTimer::singleShot(answerLimit, opener, [answered] { *answered = true; });
    return true;
}

} // namespace quillet
