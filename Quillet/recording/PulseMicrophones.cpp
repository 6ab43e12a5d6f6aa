#include "Quillet/recording/PulseMicrophones.hpp"

#include "Quillet/common/CaptureLog.hpp"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <pulse/context.h>
#include <pulse/glib-mainloop.h>
#include <pulse/introspect.h>
#include <pulse/subscribe.h>

namespace quillet {
namespace {

using namespace std::chrono_literals;

// Without a session bus the library does not notice a server that starts later by itself.
constexpr auto reconnectDelay = 3s;

QString text(const char* value)
{
    return QString::fromUtf8(value ? value : "");
}

} // namespace

// The server connection; every callback arrives on the main thread through the GLib loop that Qt runs.
struct PulseMicrophones::Connection {
    explicit Connection(PulseMicrophones& owner) : owner(owner) { connect(); }

    ~Connection() { disconnect(); }

    void connect()
    {
        loop = pa_glib_mainloop_new(nullptr);
        context = pa_context_new(pa_glib_mainloop_get_api(loop), "Quillet");
        if (context == nullptr) {
            return;
        }
        pa_context_set_state_callback(context, &Connection::stateChanged, this);
        pa_context_set_subscribe_callback(context, &Connection::serverEvent, this);
        if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            scheduleReconnect();
        }
    }

    void disconnect()
    {
        for (pa_operation* operation : operations) {
            pa_operation_cancel(operation);
            pa_operation_unref(operation);
        }
        operations.clear();
        if (context != nullptr) {
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_set_subscribe_callback(context, nullptr, nullptr);
            pa_context_disconnect(context);
            pa_context_unref(context);
            context = nullptr;
        }
        if (loop != nullptr) {
            pa_glib_mainloop_free(loop);
            loop = nullptr;
        }
        isRefreshing = false;
    }

    void scheduleReconnect()
    {
        if (reconnectPending) {
            return;
        }
        reconnectPending = true;
        QTimer::singleShot(reconnectDelay, &owner, [this] {
            reconnectPending = false;
            disconnect();
            connect();
        });
    }

    void track(pa_operation* operation)
    {
        if (operation != nullptr) {
            operations.push_back(operation);
        }
    }

    void forget()
    {
        std::erase_if(operations, [](pa_operation* operation) {
            if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING) {
                return false;
            }
            pa_operation_unref(operation);
            return true;
        });
    }

    // One listing at a time; events during a listing ask for another one after it.
    void refresh()
    {
        if (isRefreshing) {
            refreshAgain = true;
            return;
        }
        isRefreshing = true;
        refreshAgain = false;
        listing.clear();
        names.clear();
        track(pa_context_get_source_info_list(context, &Connection::sourceListed, this));
    }

    void listed() { track(pa_context_get_server_info(context, &Connection::serverDescribed, this)); }

    void described(const char* defaultSource)
    {
        isRefreshing = false;
        forget();
        const QString name = names.value(text(defaultSource), Microphones::fallbackDefaultName());
        const bool isNew = listing != devices || name != defaultName;
        devices = listing;
        defaultName = name;
        if (isNew) {
            emit owner.changed();
        }
        if (refreshAgain) {
            refresh();
        }
    }

    void lost()
    {
        const bool hadAny = !devices.empty() || defaultName != Microphones::fallbackDefaultName();
        devices.clear();
        defaultName = Microphones::fallbackDefaultName();
        if (hadAny) {
            emit owner.changed();
        }
        scheduleReconnect();
    }

    static void stateChanged(pa_context* context, void* data)
    {
        auto* self = static_cast<Connection*>(data);
        switch (pa_context_get_state(context)) {
        case PA_CONTEXT_READY:
            self->track(pa_context_subscribe(
                context, pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER),
                nullptr, nullptr));
            self->refresh();
            return;
        case PA_CONTEXT_FAILED:
        case PA_CONTEXT_TERMINATED:
            self->lost();
            return;
        default:
            return;
        }
    }

    static void serverEvent(pa_context*, pa_subscription_event_type_t, uint32_t, void* data)
    {
        auto* self = static_cast<Connection*>(data);
        self->forget();
        self->refresh();
    }

    static void sourceListed(pa_context*, const pa_source_info* info, int last, void* data)
    {
        auto* self = static_cast<Connection*>(data);
        if (last != 0) {
            // A failed listing (last < 0) still ends in the server query, which keeps the old state
            // consistent with what was seen.
            self->listed();
            return;
        }
        self->names.insert(text(info->name), text(info->description));
        if (info->monitor_of_sink == PA_INVALID_INDEX) {
            self->listing.push_back({text(info->name), text(info->description)});
        }
    }

    static void serverDescribed(pa_context*, const pa_server_info* info, void* data)
    {
        static_cast<Connection*>(data)->described(info ? info->default_source_name : nullptr);
    }

    PulseMicrophones& owner;
    pa_glib_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    std::vector<pa_operation*> operations;
    bool isRefreshing = false;
    bool refreshAgain = false;
    bool reconnectPending = false;
    std::vector<Device> listing;   // the listing in progress
    QHash<QString, QString> names; // every source's description by name, for the default's
    std::vector<Device> devices;
    QString defaultName = Microphones::fallbackDefaultName();
};

PulseMicrophones::PulseMicrophones(QObject* parent) : Microphones(parent)
{
    if (!isSupported()) {
        captureLog().error("microphones cannot be listed: the event loop does not run GLib");
        return;
    }
    connection_ = std::make_unique<Connection>(*this);
}

PulseMicrophones::~PulseMicrophones() = default;

std::vector<Microphones::Device> PulseMicrophones::available() const
{
    return connection_ ? connection_->devices : std::vector<Device>{};
}

QString PulseMicrophones::defaultName() const
{
    return connection_ ? connection_->defaultName : fallbackDefaultName();
}

bool PulseMicrophones::isSupported()
{
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher != nullptr && dispatcher->inherits("QEventDispatcherGlib");
}

} // namespace quillet
