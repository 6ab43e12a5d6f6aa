#pragma once

#include "Brindle/menu/Card.hpp"

#include <functional>

namespace brindle {

struct AppBrand;

// The monthly nudge to look for a newer version: "Check" opens the maker's page, "Not Now" waits
// another period.
class UpdateReminderCard : public Card {
    Q_OBJECT

public:
    UpdateReminderCard(const AppBrand& brand, std::function<void()> check, std::function<void()> dismiss,
                       QWidget* parent = nullptr);
};

} // namespace brindle
