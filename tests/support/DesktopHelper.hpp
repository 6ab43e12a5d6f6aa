#pragma once

// Header-only: a desktop program (compositor, window manager) on the test's X server, ready once it
// owns its manager selection, stopped by its PID at the end.

#include "tests/support/OtherXClient.hpp"
#include "tests/support/WaitFor.hpp"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>

namespace quillet::testing {

class DesktopHelper {
public:
    DesktopHelper(const QString& program, const QStringList& arguments, const char* selection)
        : selection_(selection)
    {
        process_.start(program, arguments);
        isRunning_ =
            process_.waitForStarted(startLimitMs) &&
            waitFor([this] { return display_.selectionHasOwner(selection_); }, std::chrono::seconds(5));
    }
    ~DesktopHelper() { stop(); }
    DesktopHelper(const DesktopHelper&) = delete;
    DesktopHelper& operator=(const DesktopHelper&) = delete;

    void stop()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            process_.waitForFinished(startLimitMs);
        }
        waitFor([this] { return !display_.selectionHasOwner(selection_); }, std::chrono::seconds(5));
    }
    [[nodiscard]] bool isRunning() const { return isRunning_; }

private:
    static constexpr int startLimitMs = 5000;

    OtherXClient display_;
    QProcess process_;
    const char* selection_;
    bool isRunning_ = false;
};

} // namespace quillet::testing
