#include "platform/host/DesktopNotifications.h"

#include "platform/foundation/NSLog.h"

#include <gio/gio.h>

#include <cstdlib>
#include <sys/stat.h>
#include <thread>

namespace {

constexpr const char* serviceName = "org.freedesktop.Notifications";
constexpr const char* servicePath = "/org/freedesktop/Notifications";
constexpr int callTimeoutMilliseconds = 10000;

struct GErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};
using ErrorRef = std::unique_ptr<GError, GErrorFree>;

// Never an autolaunched bus: a desktop without one shows no notifications.
std::string sessionBusAddress()
{
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address)
        return address;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime)
        return {};
    const std::string socket = std::string(runtime) + "/bus";
    struct stat status { };
    if (stat(socket.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode))
        return {};
    gchar* escaped = g_dbus_address_escape_value(socket.c_str());
    std::string address = std::string("unix:path=") + escaped;
    g_free(escaped);
    return address;
}

} // namespace

struct DesktopNotificationSender::Worker {
    struct Message {
        Worker* worker;
        std::string summary;
        std::string body;
        Completion completion;
    };

    explicit Worker(std::string busAddress)
        : address(std::move(busAddress))
        , context(g_main_context_new())
        , loop(g_main_loop_new(context, FALSE))
        , cancellable(g_cancellable_new())
    {
        thread = std::thread([this] {
            g_main_context_push_thread_default(context);
            g_main_loop_run(loop);
            if (connection)
                g_object_unref(connection);
            connection = nullptr;
            g_main_context_pop_thread_default(context);
        });
    }

    ~Worker()
    {
        // A connection still being made gives up; calls out end as cancelled.
        g_cancellable_cancel(cancellable);
        schedule([](gpointer data) {
            auto* worker = static_cast<Worker*>(data);
            worker->stopping = true;
            if (worker->callsOut == 0)
                g_main_loop_quit(worker->loop);
            return G_SOURCE_REMOVE;
        }, this, nullptr);
        thread.join();
        g_main_loop_unref(loop);
        // Frees what was posted too late to be sent.
        g_main_context_unref(context);
        g_object_unref(cancellable);
    }

    // Always queued on the sender's thread, never run on the caller's.
    void schedule(GSourceFunc function, gpointer data, GDestroyNotify destroy)
    {
        GSource* source = g_idle_source_new();
        g_source_set_callback(source, function, data, destroy);
        g_source_attach(source, context);
        g_source_unref(source);
    }

    // On the sender's thread.
    bool connect()
    {
        if (connection && !g_dbus_connection_is_closed(connection))
            return true;
        if (connection)
            g_object_unref(connection);
        connection = nullptr;
        const std::string target = address.empty() ? sessionBusAddress() : address;
        if (target.empty()) {
            NSLog("Desktop notification not shown: no session bus");
            return false;
        }
        GError* rawError = nullptr;
        connection = g_dbus_connection_new_for_address_sync(target.c_str(),
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT | G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, cancellable, &rawError);
        ErrorRef error(rawError);
        if (!connection) {
            if (!g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED))
                NSLog("Desktop notification not shown: no session bus (%s)", error ? error->message : "");
            return false;
        }
        return true;
    }

    static gboolean send(gpointer data)
    {
        auto* message = static_cast<Message*>(data);
        Worker& worker = *message->worker;
        if (worker.stopping || !worker.connect()) {
            if (message->completion)
                message->completion(false);
            return G_SOURCE_REMOVE;
        }
        GVariantBuilder actions;
        g_variant_builder_init(&actions, G_VARIANT_TYPE("as"));
        GVariantBuilder hints;
        g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
        GVariant* parameters = g_variant_new("(susssasa{sv}i)", "Corvane", 0u, "", message->summary.c_str(),
            message->body.c_str(), &actions, &hints, -1);
        // The call owns the message from here; the idle source's destructor must not free it.
        auto call = std::make_unique<Message>(Message { &worker, std::move(message->summary), std::move(message->body),
            std::move(message->completion) });
        ++worker.callsOut;
        g_dbus_connection_call(worker.connection, serviceName, servicePath, serviceName, "Notify", parameters,
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, callTimeoutMilliseconds, worker.cancellable, answered, call.release());
        return G_SOURCE_REMOVE;
    }

    static void answered(GObject* source, GAsyncResult* result, gpointer data)
    {
        std::unique_ptr<Message> message(static_cast<Message*>(data));
        Worker& worker = *message->worker;
        GError* rawError = nullptr;
        GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &rawError);
        ErrorRef error(rawError);
        if (reply)
            g_variant_unref(reply);
        else if (!g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_CANCELLED))
            NSLog("Desktop notification not shown: %s", error ? error->message : "no answer");
        if (message->completion)
            message->completion(reply != nullptr);
        if (--worker.callsOut == 0 && worker.stopping)
            g_main_loop_quit(worker.loop);
    }

    const std::string address;
    GMainContext* const context;
    GMainLoop* const loop;
    GCancellable* const cancellable;
    std::thread thread;
    // Touched on the sender's thread only.
    GDBusConnection* connection { nullptr };
    int callsOut { 0 };
    bool stopping { false };
};

void DesktopNotificationSender::init(std::string busAddress)
{
    m_busAddress = std::move(busAddress);
}

DesktopNotificationSender::~DesktopNotificationSender() = default;

void DesktopNotificationSender::post(const UILocalNotification& notification, Completion completion)
{
    const std::string alert = notification.alertBody().isNil() ? std::string() : notification.alertBody().UTF8String();
    // The bus takes valid UTF-8 only.
    gchar* valid = g_utf8_make_valid(alert.c_str(), static_cast<gssize>(alert.size()));
    const std::string text = valid;
    g_free(valid);
    const auto lineEnd = text.find('\n');
    const std::string summary = text.substr(0, lineEnd);
    const std::string rest = lineEnd == std::string::npos ? std::string() : text.substr(lineEnd + 1);
    // Services that read markup in the body would take a "<" in an error's text for a tag.
    gchar* body = g_markup_escape_text(rest.c_str(), static_cast<gssize>(rest.size()));
    if (!m_worker)
        m_worker = std::make_shared<Worker>(m_busAddress);
    auto message = std::make_unique<Worker::Message>(Worker::Message { m_worker.get(), summary, body, std::move(completion) });
    g_free(body);
    m_worker->schedule(Worker::send, message.release(), [](gpointer data) {
        std::unique_ptr<Worker::Message> owned(static_cast<Worker::Message*>(data));
    });
}
