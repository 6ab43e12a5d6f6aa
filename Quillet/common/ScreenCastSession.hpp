#pragma once

#include "Quillet/common/Outcome.hpp"

#include <QDBusConnection>
#include <QObject>
#include <QRect>
#include <QVariantMap>

#include <chrono>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace brindle {
class PreferenceStore;
}

namespace quillet {

// One screen cast of the desktop portal, of every monitor the user shares: asked for once, and
// started without a question from then on by the restore token kept in the preferences, which stills
// and recordings share. It stays open until `close`, the owner's destruction, or the desktop ends it
// (the user stopped sharing from the desktop's indicator), which `closedByDesktop` tells. Main thread
// only; one start at a time.
class ScreenCastSession : public QObject {
    Q_OBJECT

public:
    // The preference that holds the restore token: a secret of the user, like the file it is in.
    static constexpr std::string_view restoreTokenKey = "PortalScreenCastMonitorsToken";
    // Where earlier versions kept a token for one monitor only: dropped, so the desktop asks once more.
    static constexpr std::string_view singleMonitorTokenKey = "PortalScreenCastToken";

    // What the cast shows of the pointer when the desktop cannot send it beside the frames.
    enum class PointerFallback { hidden, embedded };

    struct Limits {
        // For each answer the portal gives without asking the user.
        std::chrono::milliseconds answer{10'000};
        // For the user's choice when the desktop asks which monitors to share.
        std::chrono::milliseconds choice{300'000};
    };

    // One monitor of a started cast: its PipeWire node and its place on the desktop (logical points).
    struct Stream {
        uint node = 0;
        QRect place;
    };

    // The streams, or why there are none; `cancelledByUser` tells the user's own no from a failure.
    using Started = std::function<void(Outcome<std::vector<Stream>> streams, bool cancelledByUser)>;
    // A descriptor of the cast's PipeWire connection (close-on-exec), which the receiver owns.
    using Opened = std::function<void(Outcome<int> descriptor)>;

    ScreenCastSession(brindle::PreferenceStore& preferences, PointerFallback pointer, Limits limits,
                      QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~ScreenCastSession() override;

    // Creates the session, lets the user choose (once) and starts the cast. A session still open is
    // closed first.
    void start(Started started);
    // Opens the started cast's PipeWire connection.
    void openRemote(Opened opened);
    // Ends the cast; nothing is told after it.
    void close();
    [[nodiscard]] bool isOpen() const { return !session_.isEmpty(); }

    // The streams of Start's answer, a(ua{sv}), in its order; none when it holds none.
    [[nodiscard]] static std::vector<Stream> streamsIn(const QVariantMap& started);

signals:
    // The desktop ended the open cast.
    void closedByDesktop();

private slots:
    void sessionClosed(const QVariantMap& details);

private:
    void askCursorModes();
    void createSession();
    void selectSources(const QVariantMap& created);
    void startCast();
    void fail(const QString& step, const QString& reason, bool cancelledByUser);
    void watchClosed(bool on);

    brindle::PreferenceStore& preferences_;
    PointerFallback pointer_;
    Limits limits_;
    QDBusConnection bus_;
    Started started_;
    QString session_;
    std::optional<uint> cursorModes_;
};

} // namespace quillet
