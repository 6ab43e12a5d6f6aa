#include "Quillet/shortcuts/ShortcutKeyMonitor.hpp"

#include "Brindle/KeyEventShortcut.hpp"

#include <QCoreApplication>
#include <QKeyEvent>

namespace quillet {
namespace {

[[nodiscard]] bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_ScrollLock:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

} // namespace

ShortcutKeyMonitor::ShortcutKeyMonitor(CaptureAction action, Handler handler)
    : action_(action), handler_(std::move(handler)), positions_(brindle::KeyboardPositions::current())
{
    QCoreApplication::instance()->installEventFilter(this);
}

ShortcutKeyMonitor::~ShortcutKeyMonitor()
{
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

std::optional<ShortcutEdit> ShortcutKeyMonitor::edit(const QKeyEvent& event) const
{
    if (isModifierKey(event.key())) {
        return std::nullopt;
    }
    const auto typed = brindle::KeyEventShortcut::shortcut(event, positions_);
    if (!typed) {
        // A key that has no place among the shortcut keys (a media key, say) cannot be a shortcut.
        return ShortcutEdit::reject();
    }
    return ShortcutEdit::typed(*typed, action_);
}

bool ShortcutKeyMonitor::eventFilter(QObject* /*watched*/, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Claimed for the key press that follows, so that no menu or window shortcut fires first.
        event->accept();
        return true;
    }
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const auto typed = edit(static_cast<const QKeyEvent&>(*event));
    if (typed) {
        // A copy: the handler usually ends the edit, which destroys this monitor.
        const Handler handler = handler_;
        handler(*typed);
    }
    return true;
}

} // namespace quillet
