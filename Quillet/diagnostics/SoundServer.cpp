#include "Quillet/diagnostics/SoundServer.hpp"

#include <memory>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

namespace quillet {
namespace {

using Loop = std::unique_ptr<pa_mainloop, decltype(&pa_mainloop_free)>;
using Context = std::unique_ptr<pa_context, decltype(&pa_context_unref)>;
using Operation = std::unique_ptr<pa_operation, decltype(&pa_operation_unref)>;

struct Query {
    std::optional<SoundServer> answer;
    bool isDone = false;
};

void serverInfoArrived(pa_context* /*context*/, const pa_server_info* info, void* userdata)
{
    auto* query = static_cast<Query*>(userdata);
    query->isDone = true;
    if (!info) {
        return;
    }
    query->answer = SoundServer{QString::fromUtf8(info->server_name), QString::fromUtf8(info->server_version),
                                QString::fromUtf8(info->default_source_name)};
}

// Runs the loop until `finished` holds or the deadline passes; whether it held.
template <typename Condition>
bool iterateUntil(pa_mainloop* loop, std::chrono::steady_clock::time_point deadline, Condition finished)
{
    while (!finished()) {
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        if (pa_mainloop_prepare(loop, static_cast<int>(left.count())) < 0 || pa_mainloop_poll(loop) < 0 ||
            pa_mainloop_dispatch(loop) < 0) {
            return false;
        }
    }
    return true;
}

[[nodiscard]] bool hasSettled(pa_context* context)
{
    const pa_context_state_t state = pa_context_get_state(context);
    return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
}

} // namespace

std::optional<SoundServer> SoundServer::query(std::chrono::milliseconds limit)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    const Loop loop(pa_mainloop_new(), &pa_mainloop_free);
    if (!loop) {
        return std::nullopt;
    }
    const Context context(pa_context_new(pa_mainloop_get_api(loop.get()), "Quillet diagnostics"),
                          &pa_context_unref);
    if (!context || pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return std::nullopt;
    }
    const auto disconnect = [&context] { pa_context_disconnect(context.get()); };
    if (!iterateUntil(loop.get(), deadline, [&context] { return hasSettled(context.get()); }) ||
        pa_context_get_state(context.get()) != PA_CONTEXT_READY) {
        disconnect();
        return std::nullopt;
    }
    Query query;
    const Operation operation(pa_context_get_server_info(context.get(), &serverInfoArrived, &query),
                              &pa_operation_unref);
    if (operation) {
        (void)iterateUntil(loop.get(), deadline, [&query] { return query.isDone; });
        if (!query.isDone) {
            pa_operation_cancel(operation.get());
        }
    }
    disconnect();
    return query.answer;
}

} // namespace quillet
