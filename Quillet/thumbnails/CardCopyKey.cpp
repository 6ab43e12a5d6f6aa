#include "Quillet/thumbnails/CardCopyKey.hpp"

namespace quillet {
namespace {

constexpr std::uint32_t copyNumber = 1;
// The C key's place on the keyboard, as shortcuts name keys.
constexpr std::uint32_t cKeyCode = 0x08;
constexpr brindle::Shortcut controlC{cKeyCode, brindle::Shortcut::controlMask};

} // namespace

CardCopyKey::CardCopyKey(std::unique_ptr<brindle::HotKeySystem> keys, Copy copy)
    : keys_(std::move(keys)), copy_(std::move(copy))
{
}

CardCopyKey::~CardCopyKey()
{
    setHovered(std::nullopt);
}

void CardCopyKey::setHovered(std::optional<QUuid> card)
{
    hovered_ = card;
    if (hovered_ && !isHeld_) {
        // Installed on first use, so that a program whose cards are never hovered listens for nothing.
        if (!isInstalled_) {
            isInstalled_ = keys_->install([this](std::uint32_t number) {
                if (number == copyNumber) {
                    pressed();
                }
            });
        }
        isHeld_ = isInstalled_ && keys_->grab(copyNumber, controlC);
    } else if (!hovered_ && isHeld_) {
        keys_->ungrab(copyNumber);
        isHeld_ = false;
    }
}

void CardCopyKey::pressed()
{
    if (hovered_ && copy_) {
        copy_(*hovered_);
    }
}

} // namespace quillet
