#pragma once

#include "Brindle/HotKeySystem.hpp"

#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace quillet {

// Ctrl+C over a card copies it. The panel never takes the keyboard focus, so the combination is taken
// from the desktop, and only while the pointer rests on a card: everywhere else, and whenever no card
// is under the pointer, Ctrl+C stays the focused program's. Main thread only.
class CardCopyKey {
public:
    using Copy = std::function<void(const QUuid& card)>;

    CardCopyKey(std::unique_ptr<brindle::HotKeySystem> keys, Copy copy);
    ~CardCopyKey();
    CardCopyKey(const CardCopyKey&) = delete;
    CardCopyKey& operator=(const CardCopyKey&) = delete;

    // The card under the pointer, or none.
    void setHovered(std::optional<QUuid> card);
    [[nodiscard]] const std::optional<QUuid>& hovered() const { return hovered_; }

private:
    void pressed();

    std::unique_ptr<brindle::HotKeySystem> keys_;
    Copy copy_;
    std::optional<QUuid> hovered_;
    bool isInstalled_ = false;
    bool isHeld_ = false;
};

} // namespace quillet
