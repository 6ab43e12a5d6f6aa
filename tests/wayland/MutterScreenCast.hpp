#pragma once

// A screen cast of the primary monitor through mutter's own D-Bus interface, which asks nobody:
// the PipeWire node and a connection to PipeWire, as the desktop portal would hand them to the app.
#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <optional>

namespace quillet::testing {

class MutterScreenCast : public QObject {
    Q_OBJECT

public:
    enum class Pointer : unsigned { hidden = 0, embedded = 1, metadata = 2 };

    explicit MutterScreenCast(Pointer pointer = Pointer::metadata);
    ~MutterScreenCast() override;

    // The stream's node, once mutter has announced it within `limit`.
    [[nodiscard]] std::optional<std::uint32_t> node(std::chrono::milliseconds limit = std::chrono::seconds(10));

    // Ends the cast as a user who stops sharing does: mutter removes the stream's node.
    void stop();

    // A new connection to the session's PipeWire server, closed on exec; -1 on failure.
    [[nodiscard]] static int connectToPipeWire();

private Q_SLOTS:
    void onStreamAdded(uint node);

private:
    QString session_;
    std::optional<std::uint32_t> node_;
};

} // namespace quillet::testing
