#pragma once

#include "Brindle/menu/Card.hpp"

#include <string>
#include <utility>
#include <vector>

namespace brindle {

// "Private by design": a green shield and the promises the application makes, one line each.
class PrivacyCard : public Card {
    Q_OBJECT

public:
    // Each item is a symbol and its text.
    explicit PrivacyCard(const std::vector<std::pair<std::string, QString>>& items,
                         QWidget* parent = nullptr);
};

} // namespace brindle
