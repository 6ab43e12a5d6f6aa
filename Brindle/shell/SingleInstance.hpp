#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QLocalServer;

namespace brindle {

// One running copy per user and display. The first copy listens on a local socket in the user's
// private runtime folder; a later one hands it a request (by default: show yourself) and steps aside.
// A socket left by a copy that crashed is taken over. A request is one line of text.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    // `another`: a copy runs and took the request; `refused`: it runs and refused it; `silent`: it runs
    // but gave no answer in time (it still counts as running: a second copy must not write the
    // preferences too).
    enum class Claim { first, another, refused, silent };
    static constexpr const char* showRequest = "show";

    // The socket of `application` for the current display, inside the user's runtime folder.
    [[nodiscard]] static QString socketPath(const QString& application);

    // Becomes the one copy (`first`), or hands `request` to the copy that runs.
    [[nodiscard]] Claim claim(const QString& path, const QString& request = QString::fromLatin1(showRequest));

    // Decides the requests other than "show" that later copies send; without a handler they are refused.
    void setRequestHandler(std::function<bool(const QString&)> handler) { handler_ = std::move(handler); }

signals:
    // Another copy started and asked this one to show itself.
    void showRequested();

private:
    [[nodiscard]] static std::optional<Claim> askRunningCopy(const QString& path, const QString& request);
    [[nodiscard]] bool listen(const QString& path);
    void answer();
    [[nodiscard]] bool take(const QString& request);

    QLocalServer* server_ = nullptr;
    std::function<bool(const QString&)> handler_;
};

} // namespace brindle
