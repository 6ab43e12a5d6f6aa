#include "tests/wayland/WlrVirtualPointer.hpp"

#include <cstring>
#include <iterator>

// The few entry points of the Wayland client library used here, declared by hand: its development
// headers are not among the test packages, while the library itself comes with Qt's Wayland plugin.
extern "C" {
struct wl_interface;
struct wl_message {
    const char* name;
    const char* signature;
    const wl_interface** types;
};
struct wl_interface {
    const char* name;
    int version;
    int method_count;
    const wl_message* methods;
    int event_count;
    const wl_message* events;
};
wl_display* wl_display_connect(const char* name);
void wl_display_disconnect(wl_display* display);
int wl_display_roundtrip(wl_display* display);
wl_proxy* wl_proxy_marshal_flags(wl_proxy* proxy, uint32_t opcode, const wl_interface* interface,
                                 uint32_t version, uint32_t flags, ...);
int wl_proxy_add_listener(wl_proxy* proxy, void (**implementation)(void), void* data);
void wl_proxy_destroy(wl_proxy* proxy);
extern const wl_interface wl_registry_interface;
}

namespace quillet::testing {
namespace {

constexpr uint32_t getRegistry = 1; // wl_display
constexpr uint32_t bind = 0;        // wl_registry
constexpr uint32_t createVirtualPointer = 0;
enum PointerRequest : uint32_t { motionAbsolute = 1, button = 2, pointerFrame = 4, destroy = 8 };
constexpr uint32_t version = 1;
constexpr uint32_t leftButton = 0x110;

const wl_interface* noTypes[6] = {};
const wl_message pointerRequests[] = {
    {"motion", "uff", noTypes},   {"motion_absolute", "uuuuu", noTypes},
    {"button", "uuu", noTypes},   {"axis", "uuf", noTypes},
    {"frame", "", noTypes},       {"axis_source", "u", noTypes},
    {"axis_stop", "uu", noTypes}, {"axis_discrete", "uufi", noTypes},
    {"destroy", "", noTypes},
};
const wl_interface pointerInterface = {
    "zwlr_virtual_pointer_v1", int(version), int(std::size(pointerRequests)), pointerRequests, 0, nullptr};
const wl_interface* createTypes[2] = {nullptr, &pointerInterface};
const wl_message managerRequests[] = {{"create_virtual_pointer", "?on", createTypes},
                                      {"destroy", "", noTypes}};
const wl_interface managerInterface = {"zwlr_virtual_pointer_manager_v1",
                                       int(version),
                                       int(std::size(managerRequests)),
                                       managerRequests,
                                       0,
                                       nullptr};

void global(void* data, wl_proxy* registry, uint32_t name, const char* interface, uint32_t)
{
    static_cast<WlrVirtualPointer*>(data)->announce(registry, name, interface);
}

void globalRemoved(void*, wl_proxy*, uint32_t) {}

struct RegistryListener {
    void (*global)(void*, wl_proxy*, uint32_t, const char*, uint32_t);
    void (*globalRemove)(void*, wl_proxy*, uint32_t);
};
RegistryListener registryListener{global, globalRemoved};

} // namespace

WlrVirtualPointer::WlrVirtualPointer()
{
    display_ = wl_display_connect(nullptr);
    if (display_ == nullptr) {
        return;
    }
    registry_ = wl_proxy_marshal_flags(reinterpret_cast<wl_proxy*>(display_), getRegistry,
                                       &wl_registry_interface, 1, 0, nullptr);
    wl_proxy_add_listener(registry_, reinterpret_cast<void (**)(void)>(&registryListener), this);
    wl_display_roundtrip(display_);
    if (manager_ != nullptr) {
        pointer_ = wl_proxy_marshal_flags(manager_, createVirtualPointer, &pointerInterface, version, 0,
                                          nullptr, nullptr);
        wl_display_roundtrip(display_);
    }
}

WlrVirtualPointer::~WlrVirtualPointer()
{
    if (pointer_ != nullptr) {
        wl_proxy_marshal_flags(pointer_, destroy, nullptr, version, 1 /* destroys the proxy */);
    }
    if (manager_ != nullptr) {
        wl_proxy_destroy(manager_);
    }
    if (registry_ != nullptr) {
        wl_proxy_destroy(registry_);
    }
    if (display_ != nullptr) {
        wl_display_roundtrip(display_);
        wl_display_disconnect(display_);
    }
}

void WlrVirtualPointer::announce(wl_proxy* registry, uint32_t name, const char* interface)
{
    if (manager_ == nullptr && std::strcmp(interface, managerInterface.name) == 0) {
        manager_ = wl_proxy_marshal_flags(registry, bind, &managerInterface, version, 0, name,
                                          managerInterface.name, version, nullptr);
    }
}

void WlrVirtualPointer::frame()
{
    wl_proxy_marshal_flags(pointer_, pointerFrame, nullptr, version, 0);
    wl_display_roundtrip(display_);
}

void WlrVirtualPointer::moveTo(uint32_t x, uint32_t y, uint32_t width, uint32_t height)
{
    if (pointer_ == nullptr) {
        return;
    }
    wl_proxy_marshal_flags(pointer_, motionAbsolute, nullptr, version, 0, ++time_, x, y, width, height);
    frame();
}

void WlrVirtualPointer::press(bool down)
{
    if (pointer_ == nullptr) {
        return;
    }
    wl_proxy_marshal_flags(pointer_, button, nullptr, version, 0, ++time_, leftButton,
                           uint32_t(down ? 1 : 0));
    frame();
}

} // namespace quillet::testing
