#pragma once

#include "Brindle/menu/Card.hpp"

#include <functional>
#include <optional>
#include <string>

namespace brindle {

// A card that says why something will not work and offers the one button that helps: an orange
// symbol, a title, a message that wraps over as many lines as it needs, and the button ("Open
// Settings" unless another text is given).
class WarningCard : public Card {
    Q_OBJECT

public:
    WarningCard(const std::string& symbol, const QString& title, const QString& message,
                const std::optional<QString>& button, std::function<void()> action,
                QWidget* parent = nullptr);
};

} // namespace brindle
