#include "tools/screencapture/x11/CapturableDisplay.hpp"

#include "tools/screencapture/x11/RootGrabber.hpp"

namespace quillet::screencapture {

std::variant<std::unique_ptr<XDisplay>, ExitStatus> openCapturableDisplay()
{
    auto opened = XDisplay::open();
    if (auto* reason = std::get_if<std::string>(&opened)) {
        return reported(ExitStatus::noDisplay, *reason);
    }
    auto display = std::move(std::get<std::unique_ptr<XDisplay>>(opened));
    if (auto reason = RootGrabber(*display).unsupportedFormat()) {
        return reported(ExitStatus::failure, *reason);
    }
    return display;
}

} // namespace quillet::screencapture
