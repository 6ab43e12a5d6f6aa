#include "Quillet/app/OneShotMessages.hpp"

#include <QMessageLogContext>

#include <array>
#include <cstdio>

namespace quillet {
namespace {

// Window calls the offscreen platform has no screen for; the pictures do not depend on them.
constexpr std::array expectedMessages{
    "This plugin does not support propagateSizeHints()",
    "This plugin does not support raise()",
};

void write(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (OneShotMessages::isExpected(type, message)) {
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

void OneShotMessages::install()
{
    qInstallMessageHandler(&write);
}

bool OneShotMessages::isExpected(QtMsgType type, const QString& message)
{
    if (type != QtWarningMsg) {
        return false;
    }
    for (const char* expected : expectedMessages) {
        if (message == QLatin1String(expected)) {
            return true;
        }
    }
    return false;
}

} // namespace quillet
