#include "tools/screencapture/recording/ClickWatcher.hpp"

#include "tools/screencapture/recording/ClickRings.hpp"
#include "tools/screencapture/recording/StopSignal.hpp"

#include <cerrno>
#include <cstdlib>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <variant>
#include <xcb/xinput.h>

namespace quillet::screencapture {
namespace {

constexpr std::uint16_t rawEventsMajor = 2;
constexpr std::uint16_t rawEventsMinor = 1;
// Buttons 4 to 7 are the scroll wheel's steps, not clicks.
constexpr std::uint32_t lastClickButton = 3;

struct RawPressMask {
    xcb_input_event_mask_t header;
    std::uint32_t bits;
};

std::optional<std::string> selectRawPresses(xcb_connection_t* connection, xcb_window_t root)
{
    auto* version = xcb_input_xi_query_version_reply(
        connection, xcb_input_xi_query_version(connection, rawEventsMajor, rawEventsMinor), nullptr);
    const bool hasRawEvents =
        version != nullptr &&
        (version->major_version > rawEventsMajor ||
         (version->major_version == rawEventsMajor && version->minor_version >= rawEventsMinor));
    std::free(version);
    if (!hasRawEvents) {
        return "clicks cannot be shown: the X server has no XInput 2.1";
    }
    RawPressMask mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS};
    if (auto* error = xcb_request_check(
            connection, xcb_input_xi_select_events_checked(connection, root, 1, &mask.header))) {
        std::free(error);
        return "clicks cannot be shown: the X server refused to report them";
    }
    return std::nullopt;
}

} // namespace

std::variant<std::unique_ptr<ClickWatcher>, std::string> ClickWatcher::start(ClickRings& rings)
{
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return std::string("clicks cannot be shown: no second connection to the X server");
    }
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_input_id);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    std::optional<std::string> problem;
    if (extension == nullptr || !extension->present) {
        problem = "clicks cannot be shown: the X server has no XInput extension";
    } else {
        problem = selectRawPresses(connection, root);
    }
    const int wakeUp = problem ? -1 : eventfd(0, EFD_CLOEXEC);
    if (problem || wakeUp < 0) {
        xcb_disconnect(connection);
        return problem.value_or("clicks cannot be shown: no event descriptor");
    }
    return std::unique_ptr<ClickWatcher>(
        new ClickWatcher(connection, root, extension->major_opcode, wakeUp, rings));
}

ClickWatcher::ClickWatcher(xcb_connection_t* connection, xcb_window_t root, std::uint8_t extension,
                           int wakeUp, ClickRings& rings)
    : connection_(connection), root_(root), extension_(extension), wakeUp_(wakeUp), rings_(rings),
      thread_([this] { watch(); })
{
}

ClickWatcher::~ClickWatcher()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(wakeUp_, &one, sizeof one);
    thread_.join();
    close(wakeUp_);
    xcb_disconnect(connection_);
}

void ClickWatcher::watch()
{
    StopSignal::blockInThisThread();
    pollfd descriptors[2] = {{xcb_get_file_descriptor(connection_), POLLIN, 0}, {wakeUp_, POLLIN, 0}};
    while (!xcb_connection_has_error(connection_)) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
            handle(*event);
            std::free(event);
        }
        if (poll(descriptors, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (descriptors[1].revents != 0) {
            return;
        }
    }
}

void ClickWatcher::handle(const xcb_generic_event_t& event)
{
    if ((event.response_type & 0x7f) != XCB_GE_GENERIC) {
        return;
    }
    const auto& press = reinterpret_cast<const xcb_input_raw_button_press_event_t&>(event);
    if (press.extension != extension_ || press.event_type != XCB_INPUT_RAW_BUTTON_PRESS ||
        press.detail > lastClickButton) {
        return;
    }
    const auto at = ClickRings::Clock::now();
    // Raw events carry no position: the pointer is where the press happened, give or take a frame.
    auto* pointer = xcb_query_pointer_reply(connection_, xcb_query_pointer(connection_, root_), nullptr);
    if (pointer != nullptr) {
        rings_.add(at, pointer->root_x, pointer->root_y);
    }
    std::free(pointer);
}

} // namespace quillet::screencapture
