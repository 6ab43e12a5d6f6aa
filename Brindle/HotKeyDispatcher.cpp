#include "Brindle/HotKeyDispatcher.hpp"

#include "Brindle/AppInfo.hpp"
#include "Brindle/XcbHotKeys.hpp"

#include <QCoreApplication>
#include <QThread>

#include <utility>

namespace brindle {

namespace {

const Logger& logger()
{
    static const Logger instance = AppInfo::logger("hot-keys");
    return instance;
}

} // namespace

HotKeyDispatcher::HotKeyDispatcher(std::unique_ptr<HotKeySystem> system) : system_(std::move(system))
{
    system_->setOnAvailability(
        [this](std::uint32_t number, bool held) { availabilityChanged(number, held); });
}

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

std::optional<std::uint32_t> HotKeyDispatcher::add(Shortcut shortcut, Handler handler,
                                                   Availability availability)
{
    if (!handlerInstalled_) {
        handlerInstalled_ = system_->install([this](std::uint32_t number) { fire(number); });
    }
    const std::uint32_t number = nextNumber_++;
    if (isHeld(shortcut) || !system_->grab(number, shortcut)) {
        noteRefusal(shortcut);
        return std::nullopt;
    }
    reportedRefusals_.erase({shortcut.keyCode, shortcut.modifiers});
    entries_.emplace(number, Entry{shortcut, std::move(handler), std::move(availability)});
    return number;
}

// Registration is redone on every change of the settings; the log says it once. Without a hot-key
// service at all the system has said so already, once for every key.
void HotKeyDispatcher::noteRefusal(Shortcut shortcut)
{
    if (!handlerInstalled_ || !reportedRefusals_.insert({shortcut.keyCode, shortcut.modifiers}).second) {
        return;
    }
    logger().error("shortcut %{public}s is refused: another program holds it, or this keyboard lacks its key",
                   shortcut.displayString());
}

void HotKeyDispatcher::availabilityChanged(std::uint32_t number, bool held)
{
    const auto entry = entries_.find(number);
    if (entry == entries_.end() || !entry->second.availability) {
        return;
    }
    // A copy: the receiver may unregister, which destroys the entry while it runs.
    const Availability availability = entry->second.availability;
    availability(held);
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
