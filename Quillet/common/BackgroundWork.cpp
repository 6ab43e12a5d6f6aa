#include "Quillet/common/BackgroundWork.hpp"

namespace quillet {

BackgroundWork& BackgroundWork::instance()
{
    // Never destroyed: tasks may still finish while the process ends.
    static auto* const work = new BackgroundWork;
    return *work;
}

} // namespace quillet
