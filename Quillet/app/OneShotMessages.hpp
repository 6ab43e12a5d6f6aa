#pragma once

#include <QString>
#include <QtGlobal>

namespace quillet {

// Qt's messages in the one-shot modes: the offscreen platform, which renders the pictures, says for
// every window that it cannot do what only a real screen does. Those lines are expected and go;
// every other message is written as Qt would.
class OneShotMessages {
public:
    static void install();
    [[nodiscard]] static bool isExpected(QtMsgType type, const QString& message);
};

} // namespace quillet
