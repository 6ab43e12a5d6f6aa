#pragma once

#include "Brindle/KeepAbove.hpp"

namespace brindle {

// Where there is no X server: the compositor stacks the windows, and nothing is kept.
class NoKeepAbove final : public KeepAbove {
public:
    void keep(WId /*window*/) override {}
    void release() override {}
};

} // namespace brindle
