#include "Brindle/HotKeyDispatcher.hpp"

#include "Brindle/XcbHotKeys.hpp"

#include <QCoreApplication>
#include <QThread>

#include <utility>

namespace brindle {

HotKeyDispatcher::HotKeyDispatcher(std::unique_ptr<HotKeySystem> system) : system_(std::move(system)) {}

HotKeyDispatcher::~HotKeyDispatcher()
{
    for (const auto& entry : entries_) {
        system_->ungrab(entry.first);
    }
}

HotKeyDispatcher& HotKeyDispatcher::shared()
{
    // Never destroyed: centres owned by other process-wide objects may still give their keys back
    // while the process ends, after function-local statics would already be gone.
    static auto* const instance = new HotKeyDispatcher(std::make_unique<XcbHotKeys>());
    return *instance;
}

std::optional<std::uint32_t> HotKeyDispatcher::add(Shortcut shortcut, Handler handler)
{
    if (!handlerInstalled_) {
        handlerInstalled_ = system_->install([this](std::uint32_t number) { fire(number); });
    }
    const std::uint32_t number = nextNumber_++;
    if (isHeld(shortcut) || !system_->grab(number, shortcut)) {
        return std::nullopt;
    }
    entries_.emplace(number, Entry{shortcut, std::move(handler)});
    return number;
}

void HotKeyDispatcher::remove(std::uint32_t number)
{
    if (entries_.erase(number) == 0) {
        return;
    }
    system_->ungrab(number);
}

void HotKeyDispatcher::fire(std::uint32_t number)
{
    Q_ASSERT(!QCoreApplication::instance() ||
             QThread::currentThread() == QCoreApplication::instance()->thread());
    const auto entry = entries_.find(number);
    if (entry == entries_.end()) {
        return;
    }
    // A copy: the handler may unregister its own centre, which destroys the entry while it runs.
    const Handler handler = entry->second.handler;
    handler();
}

bool HotKeyDispatcher::isHeld(Shortcut shortcut) const
{
    for (const auto& entry : entries_) {
        if (entry.second.shortcut == shortcut) {
            return true;
        }
    }
    return false;
}

} // namespace brindle
