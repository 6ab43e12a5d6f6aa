#pragma once

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>

class QLocalServer;

namespace brindle {

// One running copy per user and display. The first copy holds a lock file for its whole life and
// listens on a local socket beside it, in a folder of the user's runtime folder that only the user can
// enter; a later one hands it a request (by default: show yourself) and steps aside. Only the lock's
// holder may replace the socket, so two copies started at the same moment cannot both win, and a
// socket left by a copy that crashed is taken over. A request is one line of text.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // `another`: a copy runs and took the request; `refused`: it runs and refused it; `silent`: it runs
    // but gave no answer in time (it still counts as running: a second copy must not write the
    // preferences too).
    enum class Claim { first, another, refused, silent };
    static constexpr const char* showRequest = "show";
    // How long a copy that holds the lock may take to start listening before it counts as silent.
    static constexpr std::chrono::milliseconds defaultStartingCopyLimit{5000};

    explicit SingleInstance(std::chrono::milliseconds startingCopyLimit = defaultStartingCopyLimit)
        : startingCopyLimit_(startingCopyLimit)
    {
    }
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // The socket of `application` for the current display, inside the user's private runtime folder;
    // empty when no folder of the user's own can be had.
    [[nodiscard]] static QString socketPath(const QString& application);

    // One name per display: ":1", ":1.0" and "unix:1" are the same display; the screen number and a
    // local host prefix are dropped, and '/' cannot make a path.
    [[nodiscard]] static QString displayKey(QString display);

    // Becomes the one copy (`first`), or hands `request` to the copy that runs.
    [[nodiscard]] Claim claim(const QString& path, const QString& request = QString::fromLatin1(showRequest));

    // Decides the requests other than "show" that later copies send; without a handler they are refused.
    void setRequestHandler(std::function<bool(const QString&)> handler) { handler_ = std::move(handler); }

signals:
    // Another copy started and asked this one to show itself.
    void showRequested();

private:
    [[nodiscard]] static std::optional<Claim> askRunningCopy(const QString& path, const QString& request);
    [[nodiscard]] std::optional<Claim> askStartingCopy(const QString& path, const QString& request) const;
    [[nodiscard]] bool holdLock(const QString& path);
    [[nodiscard]] bool listen(const QString& path);
    void answer();
    [[nodiscard]] bool take(const QString& request);

    std::chrono::milliseconds startingCopyLimit_;
    QLocalServer* server_ = nullptr;
    int lock_ = -1;
    std::function<bool(const QString&)> handler_;
};

} // namespace brindle
