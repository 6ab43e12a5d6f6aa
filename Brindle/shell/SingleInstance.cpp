#include "Brindle/shell/SingleInstance.hpp"

#include "Brindle/AppInfo.hpp"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <sys/stat.h>

namespace brindle {
namespace {

constexpr int connectMilliseconds = 1000;
constexpr int answerMilliseconds = 3000;
const QByteArray showRequest = "show\n";
const QByteArray showAnswer = "ok\n";

const Logger& log()
{
    static const Logger instance = AppInfo::logger("instance");
    return instance;
}

[[nodiscard]] QString runtimeFolder()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) {
        return runtime;
    }
    // Qt makes a private folder of its own when the session has none.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

} // namespace

QString SingleInstance::socketPath(const QString& application)
{
    QString display = qEnvironmentVariable("DISPLAY", QStringLiteral("none"));
    display.replace(QLatin1Char('/'), QLatin1Char('_'));
    return runtimeFolder() + QLatin1Char('/') + application + QStringLiteral("/instance-") + display;
}

SingleInstance::Claim SingleInstance::claim(const QString& path)
{
    if (askRunningCopy(path)) {
        return Claim::another;
    }
    if (listen(path)) {
        return Claim::first;
    }
    // Someone started at the same moment and listens now.
    if (askRunningCopy(path)) {
        return Claim::another;
    }
    log().error("could not listen on %{public}s; running without the one-copy guard", path.toStdString());
    return Claim::first;
}

bool SingleInstance::askRunningCopy(const QString& path)
{
    if (!QFile::exists(path)) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(connectMilliseconds)) {
        return false;
    }
    socket.write(showRequest);
    socket.waitForBytesWritten(connectMilliseconds);
    // A copy that hangs still counts as running: a second one must not write the preferences too.
    if (socket.waitForReadyRead(answerMilliseconds) && socket.readAll() != showAnswer) {
        log().error("the running copy gave an unexpected answer");
    }
    return true;
}

bool SingleInstance::listen(const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        return false;
    }
    ::chmod(QFile::encodeName(folder).constData(), S_IRWXU);
    // Nobody answered on the socket, so it is left from a copy that ended without removing it.
    QLocalServer::removeServer(path);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(path)) {
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::answer);
    return true;
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                return;
            }
            if (socket->readLine() == showRequest) {
                socket->write(showAnswer);
                socket->flush();
                emit showRequested();
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace brindle
