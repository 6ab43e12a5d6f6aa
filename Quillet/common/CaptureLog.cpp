#include "Quillet/common/CaptureLog.hpp"

#include "Brindle/AppInfo.hpp"

namespace quillet {

const brindle::Logger& captureLog()
{
    static const brindle::Logger instance = brindle::AppInfo::logger("capture");
    return instance;
}

} // namespace quillet
