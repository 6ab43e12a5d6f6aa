#pragma once

#include "Quillet/common/TextRecognizer.hpp"

#include <QObject>

namespace quillet {

// Where text is never read (previews and snapshots): every request is turned down with a reason.
class NoTextRecognizer final : public TextRecognizer {
public:
    [[nodiscard]] QString unavailableReason() const override
    {
        return QObject::tr("Text recognition is not available here");
    }
    [[nodiscard]] std::optional<QString> read(const QImage&) const override { return std::nullopt; }
};

} // namespace quillet
