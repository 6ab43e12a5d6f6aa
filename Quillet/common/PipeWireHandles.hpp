#pragma once

#include <chrono>
#include <ctime>
#include <memory>
#include <mutex>
#include <pipewire/pipewire.h>

// What every short-lived PipeWire client of the program needs: the library set up once, its objects
// released in reverse order of making on every path, and time limits in the loop's own terms.
namespace quillet::PipeWireHandles {

template <typename T, void (*destroy)(T*)> struct Deleter {
    void operator()(T* object) const { destroy(object); }
};
template <typename T, void (*destroy)(T*)> using Owned = std::unique_ptr<T, Deleter<T, destroy>>;

inline void disconnect(pw_core* core)
{
    pw_core_disconnect(core);
}
using OwnedCore = Owned<pw_core, disconnect>;

// Once per process, from whichever thread asks first.
inline void initialise()
{
    static std::once_flag initialised;
    std::call_once(initialised, [] { pw_init(nullptr, nullptr); });
}

// A loop timer's value for `limit` from now.
[[nodiscard]] inline timespec after(std::chrono::milliseconds limit)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit);
    timespec value{};
    value.tv_sec = seconds.count();
    value.tv_nsec = std::chrono::duration_cast<std::chrono::nanoseconds>(limit - seconds).count();
    return value;
}

} // namespace quillet::PipeWireHandles
