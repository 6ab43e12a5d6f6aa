#include "Brindle/KeepAbove.hpp"

#include "Brindle/NoKeepAbove.hpp"
#include "Brindle/XcbKeepAbove.hpp"
#include "Brindle/XcbRoot.hpp"

namespace brindle {

std::unique_ptr<KeepAbove> KeepAbove::forThisDesktop()
{
    if (xcb_connection_t* connection = x11Connection()) {
        return std::make_unique<XcbKeepAbove>(connection);
    }
    return std::make_unique<NoKeepAbove>();
}

} // namespace brindle
