#pragma once

#include "Brindle/KeyboardPositions.hpp"
#include "core/CaptureAction.hpp"
#include "core/ShortcutEdit.hpp"

#include <QObject>

#include <functional>

class QKeyEvent;

namespace quillet {

// While the shortcut of a capture action is being edited, every key the program receives is a try at
// the new shortcut: each key press is turned into an edit (set, cancel or reject) and goes no further,
// so no window acts on it. A modifier key pressed alone is only swallowed. Installed on the whole
// application for the monitor's lifetime; main thread only.
class ShortcutKeyMonitor : public QObject {
public:
    using Handler = std::function<void(const ShortcutEdit&)>;

    ShortcutKeyMonitor(CaptureAction action, Handler handler);
    ~ShortcutKeyMonitor() override;
    ShortcutKeyMonitor(const ShortcutKeyMonitor&) = delete;
    ShortcutKeyMonitor& operator=(const ShortcutKeyMonitor&) = delete;

    // The edit a key press stands for; none for a modifier key alone.
    [[nodiscard]] std::optional<ShortcutEdit> edit(const QKeyEvent& event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    CaptureAction action_;
    Handler handler_;
    brindle::KeyboardPositions positions_;
};

} // namespace quillet
