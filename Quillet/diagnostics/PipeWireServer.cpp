#include "Quillet/diagnostics/PipeWireServer.hpp"

#include "Quillet/common/PipeWireHandles.hpp"

namespace quillet {
namespace {

struct Asking {
    pw_main_loop* loop = nullptr;
    int sync = -1;
    bool answered = false;
    QString version;
};

void onInfo(void* data, const pw_core_info* info)
{
    auto& asking = *static_cast<Asking*>(data);
    if (info != nullptr && info->version != nullptr) {
        asking.version = QString::fromUtf8(info->version);
    }
}

// The server has handled everything asked before the sync, the core's information included.
void onDone(void* data, uint32_t id, int sequence)
{
    auto& asking = *static_cast<Asking*>(data);
    if (id == PW_ID_CORE && sequence == asking.sync) {
        asking.answered = true;
        pw_main_loop_quit(asking.loop);
    }
}

void onError(void* data, uint32_t id, int, int, const char*)
{
    if (id == PW_ID_CORE) {
        pw_main_loop_quit(static_cast<Asking*>(data)->loop);
    }
}

void onTimeout(void* data, uint64_t)
{
    pw_main_loop_quit(static_cast<Asking*>(data)->loop);
}

const pw_core_events coreEvents = [] {
    pw_core_events events{};
    events.version = PW_VERSION_CORE_EVENTS;
    events.info = onInfo;
    events.done = onDone;
    events.error = onError;
    return events;
}();

} // namespace

std::optional<PipeWireServer> PipeWireServer::query(std::chrono::milliseconds limit)
{
    using namespace PipeWireHandles;
    initialise();

    Owned<pw_main_loop, pw_main_loop_destroy> loop(pw_main_loop_new(nullptr));
    if (!loop) {
        return std::nullopt;
    }
    pw_loop* events = pw_main_loop_get_loop(loop.get());
    Owned<pw_context, pw_context_destroy> context(pw_context_new(events, nullptr, 0));
    if (!context) {
        return std::nullopt;
    }
    OwnedCore core(pw_context_connect(context.get(), nullptr, 0));
    if (!core) {
        return std::nullopt;
    }
    Asking asking;
    asking.loop = loop.get();
    spa_hook listener{};
    pw_core_add_listener(core.get(), &listener, &coreEvents, &asking);
    asking.sync = pw_core_sync(core.get(), PW_ID_CORE, 0);

    spa_source* timer = pw_loop_add_timer(events, onTimeout, &asking);
    timespec timeout = after(limit);
    pw_loop_update_timer(events, timer, &timeout, nullptr, false);
    pw_main_loop_run(loop.get());
    pw_loop_destroy_source(events, timer);
    spa_hook_remove(&listener);

    if (!asking.answered) {
        return std::nullopt;
    }
    return PipeWireServer{asking.version};
}

} // namespace quillet
