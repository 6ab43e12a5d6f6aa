#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QSocketNotifier;

namespace quillet {

// Turns SIGTERM (logout, shutdown), SIGINT (Ctrl+C) and SIGHUP (a closed terminal) into a normal quit:
// the handler only writes the signal's number into a pipe whose other end the event loop watches, so
// `quit` runs on the main thread like any other event. One at a time per process. Once the object is
// gone, the signals take their default action again: a second Ctrl+C while quitting ends the process.
class QuitOnSignal : public QObject {
    Q_OBJECT

public:
    using Quit = std::function<void(int signalNumber)>;

    explicit QuitOnSignal(Quit quit, QObject* parent = nullptr);
    ~QuitOnSignal() override;
    QuitOnSignal(const QuitOnSignal&) = delete;
    QuitOnSignal& operator=(const QuitOnSignal&) = delete;

    // False when the pipe could not be made: the signals then keep their default action.
    [[nodiscard]] bool isInstalled() const { return notifier_ != nullptr; }

private:
    void readSignals();

    Quit quit_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace quillet
