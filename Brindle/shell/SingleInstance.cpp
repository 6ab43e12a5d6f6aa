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
// A longer line is not a request of ours; the connection is dropped rather than buffered.
constexpr qint64 longestRequest = 256;
const QByteArray takenAnswer = "ok\n";
const QByteArray refusedAnswer = "refused\n";

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

SingleInstance::Claim SingleInstance::claim(const QString& path, const QString& request)
{
    if (const auto running = askRunningCopy(path, request)) {
        return *running;
    }
    if (listen(path)) {
        return Claim::first;
    }
    // Someone started at the same moment and listens now.
    if (const auto running = askRunningCopy(path, request)) {
        return *running;
    }
    log().error("could not listen on %{public}s; running without the one-copy guard", path.toStdString());
    return Claim::first;
}

std::optional<SingleInstance::Claim> SingleInstance::askRunningCopy(const QString& path,
                                                                    const QString& request)
{
    if (!QFile::exists(path)) {
        return std::nullopt;
    }
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(connectMilliseconds)) {
        return std::nullopt;
    }
    socket.write(request.toUtf8() + '\n');
    socket.waitForBytesWritten(connectMilliseconds);
    // The answer may come in pieces; the copy closes the connection after it.
    QByteArray answer;
    while (!answer.endsWith('\n') && answer.size() <= longestRequest &&
           socket.waitForReadyRead(answerMilliseconds)) {
        answer += socket.readAll();
    }
    if (answer == takenAnswer) {
        return Claim::another;
    }
    if (answer == refusedAnswer) {
        return Claim::refused;
    }
    log().error("the running copy gave no answer to %{public}s", request.toStdString());
    return Claim::silent;
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
                if (socket->bytesAvailable() > longestRequest) {
                    socket->disconnectFromServer();
                }
                return;
            }
            const QString request = QString::fromUtf8(socket->readLine(longestRequest + 1)).trimmed();
            socket->write(take(request) ? takenAnswer : refusedAnswer);
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

bool SingleInstance::take(const QString& request)
{
    if (request == QLatin1String(showRequest)) {
        emit showRequested();
        return true;
    }
    return handler_ && handler_(request);
}

} // namespace brindle
