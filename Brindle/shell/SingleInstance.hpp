#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;

namespace brindle {

// One running copy per user and display. The first copy listens on a local socket in the user's
// private runtime folder; a later one asks it to show itself and steps aside. A socket left by a copy
// that crashed is taken over.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    enum class Claim { first, another };

    // The socket of `application` for the current display, inside the user's runtime folder.
    [[nodiscard]] static QString socketPath(const QString& application);

    // Becomes the one copy (`first`), or asks the copy that runs to show itself (`another`).
    [[nodiscard]] Claim claim(const QString& path);

signals:
    // Another copy started and asked this one to show itself.
    void showRequested();

private:
    [[nodiscard]] static bool askRunningCopy(const QString& path);
    [[nodiscard]] bool listen(const QString& path);
    void answer();

    QLocalServer* server_ = nullptr;
};

} // namespace brindle
