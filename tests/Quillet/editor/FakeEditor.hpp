#pragma once

#include "Quillet/editor/Editor.hpp"

#include <utility>
#include <vector>

namespace quillet::testing {

// Notes each file opened for editing; the test saves through `onSave`.
class FakeEditor final : public Editor {
public:
    void open(const QUrl& url, double scale, SaveCallback onSave) override
    {
        opened.emplace_back(url, scale);
        this->onSave = std::move(onSave);
    }

    std::vector<std::pair<QUrl, double>> opened;
    SaveCallback onSave;
};

} // namespace quillet::testing
