#pragma once

// Header-only (the support library itself has no Qt): collects the messages Qt's logging sees while
// an instance lives, for tests that check what the program logged.

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace quillet::testing {

struct LoggedMessage {
    QtMsgType type;
    QString category;
    QString text;
};

class LogCapture {
public:
    LogCapture() : previous_(qInstallMessageHandler(&LogCapture::handle)) { current() = this; }
    ~LogCapture()
    {
        qInstallMessageHandler(previous_);
        current() = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    [[nodiscard]] std::vector<LoggedMessage> messages() const
    {
        QMutexLocker lock(&mutex_);
        return messages_;
    }

    // The texts logged in a category, in order.
    [[nodiscard]] std::vector<QString> texts(const QString& category) const
    {
        std::vector<QString> result;
        for (const auto& message : messages()) {
            if (message.category == category) {
                result.push_back(message.text);
            }
        }
        return result;
    }

    [[nodiscard]] bool contains(const QString& category, const QString& text) const
    {
        for (const auto& logged : texts(category)) {
            if (logged == text) {
                return true;
            }
        }
        return false;
    }

private:
    static LogCapture*& current()
    {
        static LogCapture* instance = nullptr;
        return instance;
    }

    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        LogCapture* capture = current();
        if (capture == nullptr) {
            return;
        }
        QMutexLocker lock(&capture->mutex_);
        capture->messages_.push_back(
            {type, QString::fromUtf8(context.category ? context.category : ""), text});
    }

    QtMessageHandler previous_;
    mutable QMutex mutex_;
    std::vector<LoggedMessage> messages_;
};

} // namespace quillet::testing
