#include "Brindle/shell/SingleInstance.hpp"

#include "Brindle/AppInfo.hpp"
#include "Brindle/shell/PrivateFolder.hpp"
#include "kit-core/LogFormat.hpp"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace brindle {
namespace {

constexpr int connectMilliseconds = 1000;
constexpr int answerMilliseconds = 3000;
// A longer line is not a request of ours; the connection is dropped rather than buffered.
constexpr qint64 longestRequest = 256;
constexpr mode_t ownerReadWrite = S_IRUSR | S_IWUSR;
const QByteArray takenAnswer = "ok\n";
const QByteArray refusedAnswer = "refused\n";

const Logger& log()
{
    static const Logger instance = AppInfo::logger("instance");
    return instance;
}

[[nodiscard]] std::string safeText(const QString& text)
{
    return LogFormat::outsideText(text.toStdString());
}

// The user's own folder for `application`: in the session's runtime folder, or, where that is shared
// or missing, in the temporary folder under a name of this user's.
[[nodiscard]] QString privateFolder(const QString& application)
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        const QString folder = runtime + QLatin1Char('/') + application;
        if (makePrivateFolder(folder)) {
            return folder;
        }
        log().error("the runtime folder %{public}s is not this user's alone; using the temporary folder",
                    safeText(folder));
    }
    const QString fallback = QDir::tempPath() + QStringLiteral("/%1-runtime-%2").arg(application).arg(::getuid());
    return makePrivateFolder(fallback) ? fallback : QString();
}

// A socket of this user's: anything else in its place is not a copy of ours to talk to.
[[nodiscard]] bool isOwnSocket(const QString& path)
{
    struct stat status {};
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISSOCK(status.st_mode) &&
           status.st_uid == ::getuid();
}

[[nodiscard]] QString lockPath(const QString& socket)
{
    return socket + QStringLiteral(".lock");
}

// Waits, on the folder's own change notices, until `path` exists or the deadline passes.
[[nodiscard]] bool waitForFile(const QString& path, QDeadlineTimer deadline)
{
    const int watch = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0) {
        return QFile::exists(path);
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const bool watching = ::inotify_add_watch(watch, folder.constData(), IN_CREATE | IN_MOVED_TO) >= 0;
    bool exists = QFile::exists(path);
    while (watching && !exists && !deadline.hasExpired()) {
        pollfd event{.fd = watch, .events = POLLIN, .revents = 0};
        if (::poll(&event, 1, int(deadline.remainingTime())) <= 0) {
            break;
        }
        char notices[4096];
        while (::read(watch, notices, sizeof notices) > 0) {
        }
        exists = QFile::exists(path);
    }
    ::close(watch);
    return exists;
}

} // namespace

SingleInstance::~SingleInstance()
{
    if (lock_ >= 0) {
        ::close(lock_);
    }
}

QString SingleInstance::displayKey(QString display)
{
    if (display.isEmpty()) {
        return QStringLiteral("none");
    }
    static const QRegularExpression screenSuffix(QStringLiteral("^(.*:\\d+)\\.\\d+$"));
    if (const auto match = screenSuffix.match(display); match.hasMatch()) {
        display = match.captured(1);
    }
    if (display.startsWith(QLatin1String("unix:"))) {
        display.remove(0, 4);
    }
    display.replace(QLatin1Char('/'), QLatin1Char('_'));
    return display;
}

QString SingleInstance::socketPath(const QString& application)
{
    const QString folder = privateFolder(application);
    if (folder.isEmpty()) {
        return {};
    }
    return folder + QStringLiteral("/instance-") + displayKey(qEnvironmentVariable("DISPLAY"));
}

SingleInstance::Claim SingleInstance::claim(const QString& path, const QString& request)
{
    if (path.isEmpty()) {
        log().error("no private runtime folder; running without the one-copy guard");
        return Claim::first;
    }
    if (const auto running = askRunningCopy(path, request)) {
        return *running;
    }
    if (holdLock(path)) {
        if (!listen(path)) {
            log().error("could not listen on %{public}s; running without the one-copy guard", safeText(path));
        }
        return Claim::first;
    }
    // The lock is held: another copy is starting right now, or runs without answering.
    if (const auto starting = askStartingCopy(path, request)) {
        return *starting;
    }
    log().error("a running copy holds %{public}s but does not answer", safeText(lockPath(path)));
    return Claim::silent;
}

std::optional<SingleInstance::Claim> SingleInstance::askStartingCopy(const QString& path,
                                                                     const QString& request) const
{
    const QDeadlineTimer deadline(startingCopyLimit_);
    while (waitForFile(path, deadline)) {
        if (const auto running = askRunningCopy(path, request)) {
            return running;
        }
        if (deadline.hasExpired()) {
            break;
        }
        // The socket is there but not yet answering: its owner is between binding and listening.
        QDeadlineTimer pause(std::chrono::milliseconds(50));
        ::poll(nullptr, 0, int(pause.remainingTime()));
    }
    return std::nullopt;
}

std::optional<SingleInstance::Claim> SingleInstance::askRunningCopy(const QString& path,
                                                                    const QString& request)
{
    if (!isOwnSocket(path)) {
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
    log().error("the running copy gave no answer to %{public}s", safeText(request));
    return Claim::silent;
}

bool SingleInstance::holdLock(const QString& path)
{
    const int lock = ::open(QFile::encodeName(lockPath(path)).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, ownerReadWrite);
    if (lock < 0) {
        // Without a lock file the socket is the only guard, as it was before there were locks.
        log().error("could not open %{public}s", safeText(lockPath(path)));
        return true;
    }
    if (::flock(lock, LOCK_EX | LOCK_NB) != 0) {
        ::close(lock);
        return false;
    }
    lock_ = lock;
    return true;
}

bool SingleInstance::listen(const QString& path)
{
    // Only the lock's holder gets here: whatever is at the path is left from a copy that ended.
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
